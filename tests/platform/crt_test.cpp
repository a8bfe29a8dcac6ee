#include <gtest/gtest.h>

#include "platform/crt/crt.h"

#include <vector>

TEST(Random, SeedOneGivesTheClassicSequence) {
    crt::srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(crt::rand(), value);
}

TEST(Random, SameSeedSameSequenceAndAlwaysInRange) {
    crt::srand(20261206);
    int first[100];
    for (int& value : first)
        value = crt::rand();
    crt::srand(20261206);
    for (int value : first) {
        const int again = crt::rand();
        EXPECT_EQ(again, value);
        EXPECT_GE(again, 0);
        EXPECT_LE(again, crt::kRandMax);
    }
}

// Skipping n numbers leaves the generator where n draws leave it, for counts of every shape and
// across its period of 2^32, after which the sequence starts again.
TEST(Random, SkippingNumbersIsDrawingThem) {
    auto nextThree = [] { return std::vector<int>{crt::rand(), crt::rand(), crt::rand()}; };
    for (uint64_t n : {0ull, 1ull, 2ull, 3ull, 7ull, 1000ull, 65537ull, 1ull << 20, 3000001ull}) {
        crt::srand(12345);
        for (uint64_t i = 0; i < n; ++i)
            crt::rand();
        const std::vector<int> drawn = nextThree();
        crt::srand(12345);
        crt::SkipRand(n);
        EXPECT_EQ(nextThree(), drawn) << n;
    }
    crt::srand(777);
    const std::vector<int> start = nextThree();
    crt::srand(777);
    crt::SkipRand(uint64_t{1} << 32);
    EXPECT_EQ(nextThree(), start);
    crt::srand(777);
    crt::rand(), crt::rand();
    const std::vector<int> two = nextThree();
    crt::srand(777);
    crt::SkipRand((uint64_t{5} << 32) + 2);
    EXPECT_EQ(nextThree(), two);
}
