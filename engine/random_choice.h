#pragma once

#include <cstdint>

namespace tumbo {

// The 32-bit linear congruential generator that picks a reply: the same seed always
// gives the same choices.
class RandomChoice {
public:
    void Seed(std::uint32_t seed) { seed_ = seed; }

    // Advances the generator and returns an index from 0 to count - 1 (0 when count is 0).
    std::uint32_t Next(std::uint32_t count) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(count) * seed_) >> 32);
    }

private:
    std::uint32_t seed_ = 0;
};

}  // namespace tumbo
