#include <gtest/gtest.h>

#include "engine/random_choice.h"

namespace tumbo {
namespace {

TEST(RandomChoice, FollowsTheGeneratorFormula) {
    RandomChoice random;
    random.Seed(0);
    // seed 0 -> 1: index (3 * 1) >> 32 = 0.
    EXPECT_EQ(random.Next(3), 0u);
    // seed 1 -> 134775814 = 0x08088406: (3 * 0x08088406) >> 32 = 0. Out of 2^32 - 1, the
    // index is the new seed less one, which shows the whole state.
    RandomChoice same;
    same.Seed(1);
    EXPECT_EQ(same.Next(0xFFFFFFFFu), 134775814u - 1);
    EXPECT_EQ(random.Next(3), 0u);
    // seed 0xFFFFFFFF -> 0xFFFFFFFF * 134775813 + 1 = 0xF7F77BFC (mod 2^32);
    // (3 * 0xF7F77BFC) >> 32 = 2.
    random.Seed(0xFFFFFFFFu);
    EXPECT_EQ(random.Next(3), 2u);
    same.Seed(0xFFFFFFFFu);
    EXPECT_EQ(same.Next(0xFFFFFFFFu), 0xF7F77BFCu - 1);
    EXPECT_EQ(random.Next(0), 0u);
}

TEST(RandomChoice, IndicesStayInRangeAndCoverIt) {
    RandomChoice random;
    random.Seed(12345);
    int seen[5] = {};
    for (int i = 0; i < 5000; ++i) {
        const auto index = random.Next(5);
        ASSERT_LT(index, 5u);
        ++seen[index];
    }
    for (int count : seen) {
        EXPECT_GT(count, 800);
    }
}

}  // namespace
}  // namespace tumbo
