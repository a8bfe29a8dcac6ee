#pragma once
// The program's random numbers: the classic linear congruential generator, so that a seed gives
// the same sequence on every machine. Declared in the public header for clients.
#include <kr/random.h>

#include <cstdint>

namespace crt {

// Advances the generator as count calls of rand would, in steps of the count's bits.
void SkipRand(uint64_t count);

}  // namespace crt
