#pragma once

#include <cstdint>

namespace tumbo {

// Time as the program uses it: a high-resolution counter to seed the random choice,
// and a pause that blocks the caller. Tests replace it so that nothing really waits.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t Counter() = 0;
    virtual void Sleep(int milliseconds) = 0;
};

// The monotonic clock in nanoseconds and a real sleep.
class SystemClock : public Clock {
public:
    std::uint64_t Counter() override;
    void Sleep(int milliseconds) override;
};

}  // namespace tumbo
