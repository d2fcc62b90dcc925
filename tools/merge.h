#pragma once

#include <ostream>

#include "platform/file_calls.h"

namespace tumbo::tools {

// tumbo-merge's exit statuses.
namespace merge_status {
inline constexpr int kDone = 0;        // every dialogue there was to add is added
inline constexpr int kIncomplete = 1;  // some could not be added; those added are whole
inline constexpr int kUnusable = 2;    // bad usage, or a base that cannot be read
inline constexpr int kBusy = 3;        // the user's base is in use: nothing was changed
}  // namespace merge_status

// The whole tumbo-merge command: adds to the user's base every bundled dialogue none of
// whose openers is already an opener there, in the bundled order, each committed as a
// taught dialogue is, while holding the user's base. Every file call goes through `calls`.
int RunMerge(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             FileCalls& calls = SystemFileCalls());

}  // namespace tumbo::tools
