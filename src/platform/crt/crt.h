#pragma once
// The program's random numbers: the classic linear congruential generator, so that a seed gives
// the same sequence on every machine. Declared in the public header for clients.
#include <kr/random.h>
