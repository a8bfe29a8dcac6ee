#pragma once
// The colour depth asked of the display mode (16 unless a client asks for 32), for the shell's
// colour-depth check.
#include <kr/kr.h>

namespace krDraw {

int32_t& ColourDepthSetting();

}  // namespace krDraw
