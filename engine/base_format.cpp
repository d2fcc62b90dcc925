#include "engine/base_format.h"

#include <algorithm>
#include <limits>

#include "platform/cp1251_literal.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/integer_text.h"
#include "platform/line_reader.h"
#include "platform/registry.h"
#include "platform/replacing_file.h"

namespace tumbo::base_format {

namespace {

constexpr std::string_view kEntryPrefix = "dlg\\";
constexpr std::string_view kEntrySuffix = ".dlg";

}  // namespace

std::string DialogueEntry(std::int64_t number) {
    return std::string(kEntryPrefix) + std::to_string(number) + std::string(kEntrySuffix);
}

std::string DialogueNumberText(std::string_view entry) {
    std::string number(entry.substr(std::min(kEntryPrefix.size(), entry.size())));
    const auto dot = number.find('.');
    if (dot != std::string::npos) {
        number.erase(dot, kEntrySuffix.size());
    }
    return number;
}

std::optional<std::int32_t> DialogueNumber(std::string_view entry) {
    const std::string text = DialogueNumberText(entry);
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::nullopt
                                      : ParseInteger(std::string_view(text).substr(first));
}

bool IsUsualDialogueEntry(std::string_view entry) {
    if (entry.size() <= kEntryPrefix.size() + kEntrySuffix.size() ||
        !entry.starts_with(kEntryPrefix) || !entry.ends_with(kEntrySuffix)) {
        return false;
    }
    const auto digits =
        entry.substr(kEntryPrefix.size(), entry.size() - kEntryPrefix.size() - kEntrySuffix.size());
    const bool decimal =
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto value = decimal ? ParseInteger(digits) : std::nullopt;
    return value && *value >= 1 && digits.front() != '0';
}

std::string DialogueFilePath(std::string_view entry) {
    return file_access::SystemPath(entry);
}

bool IsBlankEntry(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

PathListEntries::PathListEntries(LineReader& reader, std::string_view path) : file_(reader) {
    file_.Open(path);
}

bool PathListEntries::Next(std::string& entry) {
    while (!file_.Eof()) {
        ++line_;
        if (!file_.ReadLine(text_, kMaxEntryLength)) {
            const std::string path = file_.Path();
            file_.Close();
            throw InOutError(io_code::kInvalidFilename, "read the path list", path, 0,
                             "line " + std::to_string(line_) + " is longer than " +
                                 std::to_string(kMaxEntryLength) +
                                 " bytes, more than any dialogue's entry can be");
        }
        if (!IsBlankEntry(text_)) {
            entry.swap(text_);
            return true;
        }
    }
    file_.Close();
    return false;
}

std::vector<std::string> ReadPathList(LineReader& reader, std::string_view path) {
    std::vector<std::string> entries;
    PathListEntries list(reader, path);
    for (std::string entry; list.Next(entry);) {
        entries.push_back(std::move(entry));
    }
    return entries;
}

OptionLines ReadOptionLines(LineReader& file, std::string_view path, const TOptions& fallback) {
    OptionLines read{fallback, nullptr};
    TOptions& options = read.options;
    // Only "true" counts, so a longer window line is read no further than that.
    std::string skin;
    file.Open(path);
    if (!file.ReadLine(options.UserName, kMaxUserNameLength)) {
        read.problem = std::make_exception_ptr(TumboError(
            Cp1251(u8"Имя в настройках длиннее ").str() + std::to_string(kMaxUserNameLength) +
                Cp1251(u8" знаков и обрезано").str(),
            FailureDetails("read the name from", file.Path(), 0,
                           "the name is longer than " + std::to_string(kMaxUserNameLength) +
                               " characters; only its start is used")));
    }
    file.ReadLine(skin, kTrue.size() + 1);
    options.TransparentSkin = skin == kTrue;
    for (int* number : {&options.Opacity, &options.DialogueCount}) {
        try {
            *number = file.ReadInteger();
        } catch (const InOutError& error) {
            if (error.code() != io_code::kInvalidNumericInput) {
                throw;
            }
            if (!read.problem) {
                read.problem = std::current_exception();
            }
        }
        file.SkipLine();
    }
    file.Close();
    return read;
}

void WriteOptionLines(FileCalls& calls, std::string_view path, const TOptions& options) {
    ReplacingFile file(calls);
    file.Start(path);
    file.WriteLine(options.UserName);
    file.WriteLine(options.TransparentSkin ? kTrue : kFalse);
    file.WriteLine(std::to_string(options.Opacity));
    file.WriteLine(std::to_string(options.DialogueCount));
    file.Commit();
}

void SetStoredCount(TOptions& options, std::size_t pathListEntries) {
    options.DialogueCount =
        static_cast<int>(std::min<std::size_t>(pathListEntries, std::numeric_limits<int>::max()));
}

std::string FolderPrefix(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string ProgramDirIn(const std::string& registryFile) {
    return ReadRegistryString(registryFile, "HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3", "programdir");
}

bool OpenOptional(LineReader& reader, std::string_view path) {
    try {
        reader.Open(path);
        return true;
    } catch (const InOutError& error) {
        // 3, which the error table calls an invalid filename, is also a missing folder.
        if (error.code() == io_code::kFileNotFound || error.code() == io_code::kInvalidFilename) {
            return false;
        }
        throw;
    }
}

std::vector<std::string> IdentifyingOpeners(std::vector<std::string> openers) {
    std::erase_if(openers, [](const std::string& opener) { return IsMark(opener); });
    return openers;
}

}  // namespace tumbo::base_format
