#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tumbo::test {

// A counter that only moves when it is set.
class FakeClock : public Clock {
public:
    std::uint64_t counter = 0;

    std::uint64_t Counter() override { return counter; }
};

}  // namespace tumbo::test
