#pragma once

#include <string>
#include <string_view>

namespace tumbo::bench {

struct PlainResult {
    long files = 0;
    bool found = false;
    std::string reply;
};

// The reads of a reply search out of context, written directly with POSIX calls: the
// path list, then each dialogue's opener block until a trigger is the phrase. With
// `startScratchOnMiss` a miss also truncates the scratch dialogue, as opening the teaching
// panel does. Throws std::system_error.
PlainResult PlainSearch(const std::string& prefix, std::string_view typed,
                        bool startScratchOnMiss = false);

}  // namespace tumbo::bench
