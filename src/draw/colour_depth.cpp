#include "draw/colour_depth.h"

namespace krDraw {

namespace {
int32_t colourDepthSetting = 16;
}

void Use32Bit() {
    colourDepthSetting = 32;
}

int32_t& ColourDepthSetting() {
    return colourDepthSetting;
}

}  // namespace krDraw
