#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "platform/file_calls.h"
#include "tools/findings.h"

namespace tumbo::tools {

// The base folder, path.tmb or opt.tmb cannot be read at all.
class BaseUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every problem in the base in `baseDir`, opt.tmb first, then path.tmb, then the
// dialogues in path-list order, then forgotten.tmb and words.tmb. Reads only. Throws
// BaseUnreadable.
std::vector<Finding> CheckBase(const std::filesystem::path& baseDir,
                               FileCalls& calls = SystemFileCalls());

// The whole tumbo-check command: 0 clean, 1 findings, 2 a file that could not be read or
// bad usage.
int RunCheck(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace tumbo::tools
