#include "platform/crt/crt.h"

#include <cstdint>

namespace crt {

namespace {
uint32_t randomState = 1;
}

void srand(unsigned int seed) {
    randomState = seed;
}

int rand() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

}  // namespace crt
