#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

#include "platform/clock.h"

namespace tumbo::tools {

// A counter that gives first, first + 1, ... so the reply choices repeat run after run.
class SequenceClock : public Clock {
public:
    explicit SequenceClock(std::uint64_t first) : next_(first) {}
    std::uint64_t Counter() override { return next_++; }

private:
    std::uint64_t next_;
};

// The whole tumbo-chat command: phrases from `in` (UTF-8, one a line), the chat log on
// `out`. 0 when done, 1 when some phrase failed, 2 on bad usage or a base it cannot load.
int RunChat(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err);

}  // namespace tumbo::tools
