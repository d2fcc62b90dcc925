#include "engine/base_format.h"

#include <algorithm>

#include "platform/integer_text.h"
#include "platform/text_file.h"

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
    std::string path(entry);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

TOptions ReadOptionLines(TextFile& file) {
    TOptions options;
    std::string skin;
    file.Reset();
    file.ReadLine(options.UserName);
    file.ReadLine(skin);
    options.Opacity = file.ReadInteger();
    file.SkipLine();
    options.DialogueCount = file.ReadInteger();
    file.SkipLine();
    file.Close();
    options.TransparentSkin = skin == kTrue;
    return options;
}

void WriteOptionLines(TextFile& file, const TOptions& options) {
    file.RewriteWhole();
    file.WriteLine(options.UserName);
    file.WriteLine(options.TransparentSkin ? kTrue : kFalse);
    file.WriteLine(std::to_string(options.Opacity));
    file.WriteLine(std::to_string(options.DialogueCount));
    file.Close();
}

}  // namespace tumbo::base_format
