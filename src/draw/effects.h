#pragma once
// The effects' module-wide state records: row-effect animation, clip wipe and blur paces.
#include "draw/display.h"

namespace krDraw {

// Each row effect's phase and scroll, shared by every object drawn with it, kept for the run.
struct RowState {
    float wavePhaseA = 0;
    int32_t alternatingSign = 1;
    float tileOffsetX = 0, tileOffsetY = 0;
    float wavePhaseB = 0, scrollB = 0;
    float wavePhaseC = 0, scrollC = 0;
    float drumPhase = 0;
};

extern RowState rows;

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

// How often a blur copies instead of averaging; each blur kind keeps its own pair for the run.
struct Pace {
    int32_t counter = 0;
    int32_t threshold = 3;
};

struct PaceState {
    Pace blurUp, blurUpFade;
};

extern PaceState paces;

}  // namespace krDraw
