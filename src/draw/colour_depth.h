#pragma once
// The colour depth asked of the display mode: 16 unless a client asks for 32.
#include <cstdint>

namespace krDraw {

void Use32Bit();
int32_t& ColourDepthSetting();

}  // namespace krDraw
