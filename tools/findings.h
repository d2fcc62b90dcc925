#pragma once

#include <ostream>
#include <string>
#include <utility>
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

// The findings of one check, in the order they were made.
class Findings {
public:
    void Add(const std::string& file, std::size_t line, std::string message) {
        list_.push_back({file, static_cast<int>(line), std::move(message)});
    }
    void Warn(const std::string& file, std::size_t line, std::string message) {
        list_.push_back({file, static_cast<int>(line), std::move(message), true});
    }
    void Unreadable(const std::string& file, std::string message) {
        list_.push_back({file, 0, std::move(message), false, true});
    }
    std::vector<Finding> Take() { return std::move(list_); }

private:
    std::vector<Finding> list_;
};

}  // namespace tumbo::tools
