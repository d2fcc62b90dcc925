#pragma once

#include <ostream>

#include "engine/base_merge.h"
#include "platform/file_calls.h"

namespace tumbo::tools {

// tumbo-merge's exit statuses.
namespace merge_status = tumbo::merge_status;

// The whole tumbo-merge command: adds to the user's base every bundled dialogue none of
// whose openers is already an opener there, in the bundled order, each committed as a
// taught dialogue is, while holding the user's base. Every file call goes through `calls`.
int RunMerge(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             FileCalls& calls = SystemFileCalls());

}  // namespace tumbo::tools
