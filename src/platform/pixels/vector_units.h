#pragma once
// Whether the paths written for AVX2 run: when the processor has it, unless the environment
// says KR_CPU=generic, which runs the baseline paths anywhere (to compare them, or to rule the
// wide ones out).

namespace pixels {

bool WideVectors();
// Tests turn the wide paths off and on again; on is kept only where the processor has them.
void SetWideVectors(bool on);

}  // namespace pixels
