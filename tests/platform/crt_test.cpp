#include <gtest/gtest.h>

#include "platform/crt/crt.h"

#include <vector>

namespace {

std::vector<int> Draw(int count) {
    std::vector<int> drawn;
    for (int i = 0; i < count; ++i)
        drawn.push_back(crt::rand());
    return drawn;
}

TEST(Random, SeedOneGivesTheClassicSequence) {
    crt::srand(1);
    EXPECT_EQ(Draw(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

// Skipping n numbers leaves the generator where n draws leave it, for counts of every shape and
// across its period of 2^32, after which the sequence starts again.
TEST(Random, SkippingNumbersIsDrawingThem) {
    for (const uint64_t n : {0ull, 1ull, 2ull, 3ull, 7ull, 1000ull, 65537ull, 1ull << 20,
                             3000001ull, 1ull << 32, (5ull << 32) + 2}) {
        crt::srand(12345);
        Draw(static_cast<int>(n & 0xFFFFFFFFu));
        const std::vector<int> drawn = Draw(3);
        crt::srand(12345);
        crt::SkipRand(n);
        EXPECT_EQ(Draw(3), drawn) << n;
    }
}

}  // namespace
