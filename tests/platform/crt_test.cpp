#include <gtest/gtest.h>

#include "platform/crt/crt.h"

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
