#pragma once

#include <cstdint>

namespace tumbo {

// A high-resolution counter, which seeds the random choice among replies. Tests replace
// it so that the choice repeats.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t Counter() = 0;
};

// The monotonic clock in nanoseconds.
class SystemClock : public Clock {
public:
    std::uint64_t Counter() override;
};

}  // namespace tumbo
