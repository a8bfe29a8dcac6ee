#include "platform/crt/crt.h"

#include <cstdint>

namespace crt {

namespace {
constexpr uint32_t kMultiplier = 214013u, kIncrement = 2531011u;
uint32_t randomState = 1;
}  // namespace

void srand(unsigned int seed) {
    randomState = seed;
}

int rand() {
    randomState = randomState * kMultiplier + kIncrement;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

// A step is x -> a x + c (mod 2^32); two steps are x -> a^2 x + (a + 1) c. The steps for each bit
// of the count are composed in turn; they commute, being powers of one map.
void SkipRand(uint64_t count) {
    uint32_t multiplier = kMultiplier, increment = kIncrement;
    uint32_t totalMultiplier = 1, totalIncrement = 0;
    for (; count != 0; count >>= 1) {
        if ((count & 1) != 0) {
            totalMultiplier *= multiplier;
            totalIncrement = totalIncrement * multiplier + increment;
        }
        increment *= multiplier + 1;
        multiplier *= multiplier;
    }
    randomState = randomState * totalMultiplier + totalIncrement;
}

}  // namespace crt
