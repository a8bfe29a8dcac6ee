#pragma once
// The frame-rate counter and figures that the frame-rate line shows and the 3D renderer's
// polygon-count line reads.
#include <cstdint>

namespace krDraw {

struct FrameRateState {
    int32_t frames;     // calls since the last sample, at most 999
    uint32_t deadline;  // tick count of the next sample
    float current, maximum, minimum;
    char line[64];
};

extern FrameRateState frameRate;

// The start-up state: no frames, a sample due now (so the first call samples at once),
// 0.0 / 0.0 / 99.9.
FrameRateState StartingFrameRate();

}  // namespace krDraw
