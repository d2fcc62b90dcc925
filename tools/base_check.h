#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tumbo::tools {

// One problem in a base. `file` is relative to the base folder with "/" separators;
// `line` counts from 1, and 0 means the whole file. The message is UTF-8.
struct Finding {
    std::string file;
    int line = 0;
    std::string message;
    bool warning = false;

    bool operator==(const Finding&) const = default;
};

// "file:line: message", the line left out for a whole-file finding.
std::string FormatFinding(const Finding& finding);
std::ostream& operator<<(std::ostream& out, const Finding& finding);

// The base folder, path.tmb or opt.tmb cannot be read at all.
class BaseUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class LineEnd { kCrLf, kLf, kNone };

// A line as the program reads it (`text`, lone CRs dropped) beside its bytes as stored.
struct RawLine {
    std::string text;
    std::string raw;
    LineEnd end = LineEnd::kNone;
};

struct SplitText {
    std::vector<RawLine> lines;
    // Where byte 26 stopped the reading: the line it is on (0 when there is none) and
    // how many bytes after it are never read.
    int endMarkLine = 0;
    std::size_t bytesAfterEndMark = 0;
};

// Splits file bytes by the program's reading rules (see tumbo::TextFile).
SplitText SplitLines(std::string_view bytes);

// Every problem in the base in `baseDir`, opt.tmb first, then path.tmb, then the
// dialogues in path-list order. Reads only. Throws BaseUnreadable.
std::vector<Finding> CheckBase(const std::filesystem::path& baseDir);

// The whole tumbo-check command: 0 clean, 1 findings, 2 unreadable base or bad usage.
int RunCheck(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace tumbo::tools
