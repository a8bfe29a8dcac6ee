#pragma once
// The shell's own constants that the framework's other modules and the tests read.
#include <kr/kr.h>

namespace krSystem {

// The client size of a windowed program.
inline constexpr int32_t kWindowedWidth = 640;
inline constexpr int32_t kWindowedHeight = 480;

}  // namespace krSystem
