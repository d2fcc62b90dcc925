#include "platform/clock.h"

#include <chrono>

namespace tumbo {

std::uint64_t SystemClock::Counter() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

}  // namespace tumbo
