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

// A run of rows drawn one below the other: rows first to end - 1 (end <= first: none).
struct RowRange {
    int64_t first, end;
};

// Of the rows first to end - 1, drawn one below the other from the Back surface's row at, those
// a clipped blit can reach (inside the clip rectangle and the surface); the others draw nothing,
// so that walks skip them at once.
RowRange ReachableRows(int64_t first, int64_t end, int64_t at);

}  // namespace krDraw
