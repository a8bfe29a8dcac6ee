#pragma once
// The program's random numbers: the classic linear congruential generator, so that a seed gives
// the same sequence on every machine.

namespace crt {

inline constexpr int kRandMax = 32767;  // the platform's RAND_MAX

void srand(unsigned int seed);
// 0 to kRandMax.
int rand();

}  // namespace crt
