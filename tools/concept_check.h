#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "platform/file_calls.h"
#include "tools/findings.h"

namespace tumbo::tools {

// Checks the base's concepts.tmb, when there: the line rules of every base file, each line a
// class the program can use, every name a class names defined, and no class that contains
// itself. Returns the names it defines (code page 1251, without `@`), which triggers may use.
std::set<std::string> CheckConcepts(FileCalls& calls, const std::filesystem::path& dir,
                                    Findings& findings);

}  // namespace tumbo::tools
