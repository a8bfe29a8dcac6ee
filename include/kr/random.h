#pragma once
// The program's random generator: one sequence for the whole program (the shell seeds it, every
// module and the game draw from it), the same for a seed on every machine.

namespace crt {

inline constexpr int kRandMax = 32767;

void srand(unsigned int seed);
// 0 to kRandMax.
int rand();

}  // namespace crt
