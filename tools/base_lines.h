#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/file_calls.h"
#include "platform/line_reader.h"
#include "tools/findings.h"

namespace tumbo::tools {

// Longest part of a line that is kept and checked: the longest line the program reads, and
// it keeps a check's memory bounded whatever a file holds.
inline constexpr std::size_t kMaxLineLength = LineReader::kMaxLineLength;

// A file of the base that cannot be read: what is wrong with it, in plain words.
class FileTrouble : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file of the base, read line by line by the program's own reader. Anything but a
// regular file is refused for what it is, since a device or a pipe may never end.
class BaseFileLines {
public:
    // Throws FileTrouble.
    BaseFileLines(FileCalls& calls, const std::filesystem::path& path);

    // The next line; false at the end. Throws FileTrouble on a read error.
    bool Next(StoredLine& line);
    std::size_t Count() const { return count_; }
    // After the last line: the line byte 26 is on (0 when there is none), and how many
    // bytes after it are never read.
    std::size_t EndMarkLine();
    std::uint64_t BytesAfterEndMark();

private:
    LineReader file_;
    std::size_t count_ = 0;
    bool lastEnded_ = true;
};

// What every file of the base must keep to, whatever its kind, line by line.
class LineChecks {
public:
    // `blankSkipped`: the program skips a line of blanks in this file, so one is only
    // worth a warning.
    LineChecks(Findings& findings, std::string file, bool blankSkipped = false)
        : findings_(findings), file_(std::move(file)), blankSkipped_(blankSkipped) {}

    void Line(const StoredLine& line, std::size_t number);
    // After the last line, `last` (nullptr for an empty file).
    void End(BaseFileLines& lines, const StoredLine* last);

private:
    Findings& findings_;
    std::string file_;
    bool blankSkipped_;
    std::size_t lfOnly_ = 0;
    std::size_t firstLfOnly_ = 0;
};

// "a folder", "a named pipe (FIFO)" and so on.
std::string KindOf(mode_t mode);

// What is at `path`, a link followed or not: false when nothing is there.
bool LookAt(FileCalls& calls, const std::filesystem::path& path, struct stat& info,
            bool followLink = true);

}  // namespace tumbo::tools
