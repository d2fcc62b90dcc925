#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tumbo::tools {

// One problem in a base. `file` is relative to the base folder with "/" separators;
// `line` counts from 1, and 0 means the whole file. The message is UTF-8.
struct Finding {
    std::string file;
    int line = 0;
    std::string message;
    bool warning = false;
    // The file could not be read, so the check is incomplete.
    bool unreadable = false;

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

// Every problem in the base in `baseDir`, opt.tmb first, then path.tmb, then the
// dialogues in path-list order. Reads only. Throws BaseUnreadable.
std::vector<Finding> CheckBase(const std::filesystem::path& baseDir);

// The whole tumbo-check command: 0 clean, 1 findings, 2 a file that could not be read or
// bad usage.
int RunCheck(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace tumbo::tools
