#include "tools/base_lines.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "engine/base_format.h"
#include "platform/errors.h"
#include "tools/check_text.h"

namespace tumbo::tools {

namespace fs = std::filesystem;

namespace {

// The system's words for a failed read, or the program's own message.
std::string TroubleOf(const InOutError& error) {
    if (error.systemError() == ENOENT) {
        return "no such file";
    }
    const char* words = error.systemError() != 0 ? ::strerrordesc_np(error.systemError()) : nullptr;
    return "cannot be read: " + std::string(words != nullptr ? words : error.what());
}

}  // namespace

std::string KindOf(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return "a folder";
        case S_IFIFO:
            return "a named pipe (FIFO)";
        case S_IFCHR:
            return "a character device";
        case S_IFBLK:
            return "a block device";
        case S_IFSOCK:
            return "a socket";
        default:
            return "something other than a file";
    }
}

bool LookAt(FileCalls& calls, const fs::path& path, struct stat& info, bool followLink) {
    const std::string name = path.string();
    return (followLink ? calls.Stat(name.c_str(), &info) : calls.Lstat(name.c_str(), &info)) == 0;
}

BaseFileLines::BaseFileLines(FileCalls& calls, const fs::path& path) : file_(calls) {
    struct stat info {};
    if (!LookAt(calls, path, info)) {
        throw FileTrouble("no such file");
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileTrouble("is " + KindOf(info.st_mode) + ", not a file");
    }
    try {
        file_.Open(path.string());
    } catch (const InOutError& failure) {
        throw FileTrouble(TroubleOf(failure));
    }
}

bool BaseFileLines::Next(StoredLine& line) {
    try {
        if (file_.Eof()) {
            return false;
        }
        file_.ReadStoredLine(line, kMaxLineLength);
    } catch (const InOutError& failure) {
        throw FileTrouble(TroubleOf(failure));
    }
    ++count_;
    lastEnded_ = line.end != StoredLine::End::kNone;
    return true;
}

std::size_t BaseFileLines::EndMarkLine() {
    // Byte 26 in the middle of a line is on that line; after a line end, on the next.
    return file_.AtEndMark() ? count_ + (lastEnded_ ? 1 : 0) : 0;
}

std::uint64_t BaseFileLines::BytesAfterEndMark() {
    try {
        return file_.BytesAfterEndMark();
    } catch (const InOutError& failure) {
        throw FileTrouble(TroubleOf(failure));
    }
}

void LineChecks::Line(const StoredLine& line, std::size_t number) {
    if (line.length > kMaxLineLength) {
        findings_.Add(file_, number,
                      "line of " + std::to_string(line.length) + " bytes, longer than " +
                          std::to_string(kMaxLineLength) + "; only its start is checked");
    }
    if (blankSkipped_ && base_format::IsBlankEntry(line.text)) {
        findings_.Warn(file_, number, "blank line; the program skips it");
    } else if (line.text.empty()) {
        findings_.Add(file_, number, "empty line");
    }
    if (const auto cr = line.raw.find('\r'); cr != std::string::npos) {
        findings_.Add(file_, number,
                      "stray CR at column " + std::to_string(cr + 1) + "; the program drops it");
    }
    const auto control = std::find_if(line.raw.begin(), line.raw.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\r';
    });
    if (control != line.raw.end()) {
        findings_.Add(file_, number,
                      "control byte " + Hex(static_cast<unsigned char>(*control)) + " at column " +
                          std::to_string(control - line.raw.begin() + 1));
    }
    const auto undefined = std::find_if(line.raw.begin(), line.raw.end(), [](char c) {
        return IsUndefinedByte(static_cast<unsigned char>(c));
    });
    if (undefined != line.raw.end()) {
        findings_.Add(file_, number,
                      "byte 0x98 at column " + std::to_string(undefined - line.raw.begin() + 1) +
                          " is not a character in code page 1251");
    }
    if (line.end == StoredLine::End::kLf && lfOnly_++ == 0) {
        firstLfOnly_ = number;
    }
}

void LineChecks::End(BaseFileLines& lines, const StoredLine* last) {
    if (lfOnly_ > 0) {
        findings_.Warn(
            file_, firstLfOnly_,
            "line ends with LF alone, not CR LF" +
                (lfOnly_ > 1 ? " (" + std::to_string(lfOnly_) + " such lines in this file)"
                             : std::string()));
    }
    if (const std::size_t markLine = lines.EndMarkLine(); markLine > 0) {
        const std::uint64_t after = lines.BytesAfterEndMark();
        findings_.Add(file_, markLine,
                      "byte 26 (0x1A) ends the file for the program: " +
                          (after > 0 ? std::to_string(after) + " byte(s) after it are never read"
                                     : std::string("lines added after it would never be read")));
    } else if (last != nullptr && last->end == StoredLine::End::kNone) {
        findings_.Warn(file_, lines.Count(), "last line has no CR LF (the program still reads it)");
    }
}

}  // namespace tumbo::tools
