#pragma once
// The module state of the clip wipes and the resets of the effects' state.
#include "draw/display.h"

namespace krDraw {

struct WipeState {
    int32_t state = 0;  // 0 idle, 1 opening, 2 closing, -1 closed
    RECT savedClip{};
    int32_t closing = 0, kind = 0;
    float speed = 0;
    int32_t band = 0;
    bool narrowed = false;  // a band closing has finished its first axis
    int32_t opened = 0, closed = 0;
};

extern WipeState wipe;

void ResetRowEffects();
void ResetWipes();
void ResetPaces();

}  // namespace krDraw
