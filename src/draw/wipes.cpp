// Clip wipes: the clip rectangle collapses and grows back, or closes, a few pixels a frame.
#include <cmath>

#include "draw/effects.h"
#include "platform/crt/crt.h"
#include "platform/crt/saturate.h"

namespace krDraw {

WipeState wipe;

namespace {

constexpr int32_t kIdle = 0, kOpening = 1, kClosing = 2, kClosed = -1;

int32_t Middle(LONG low, LONG high) {
    return static_cast<int32_t>((int64_t{high} - low) / 2 + low);
}

// An edge moved by a distance, saturating: extreme clips and speeds do not wrap.
LONG Moved(LONG edge, int64_t by) {
    return crt::Saturate32(int64_t{edge} + by);
}

void Collapse(int32_t kind, int32_t band) {
    const RECT& s = wipe.savedClip;
    const int32_t mx = Middle(s.left, s.right), my = Middle(s.top, s.bottom);
    switch (kind) {
        case 1:
            clip.top = s.bottom;
            break;
        case 2:
            clip.bottom = s.top;
            break;
        case 3:
            clip.left = s.right;
            break;
        case 4:
            clip.right = s.left;
            break;
        case 5:
            clip.top = clip.bottom = my;
            break;
        case 6:
            clip.left = clip.right = mx;
            break;
        case 7:
            clip.left = clip.right = mx;
            clip.top = clip.bottom = my;
            break;
        case 8:
            clip.top = clip.bottom = my;
            clip.left = Moved(mx, -(band / 2));
            clip.right = Moved(mx, band / 2);
            break;
        case 9:
            clip.left = clip.right = mx;
            clip.top = Moved(my, -(band / 2));
            clip.bottom = Moved(my, band / 2);
            break;
        default:
            break;  // an unknown kind leaves the clip whole: the opening ends at the first update
    }
}

// Moves a pair of edges toward each other; true once they meet or pass.
bool Close(LONG& low, LONG& high, int32_t d) {
    low = Moved(low, d);
    high = Moved(high, -int64_t{d});
    return low >= high;
}

// Moves a pair of edges toward the band of width g about the centre; true once they are on it.
bool Narrow(LONG& low, LONG& high, int32_t centre, int32_t d) {
    const LONG bandLow = Moved(centre, -(wipe.band / 2)), bandHigh = Moved(centre, wipe.band / 2);
    if (int64_t{low} + d >= bandLow || int64_t{high} - d <= bandHigh) {
        low = bandLow;
        high = bandHigh;
        return true;
    }
    low = Moved(low, d);
    high = Moved(high, -int64_t{d});
    return false;
}

bool ClosingStep(int32_t d) {
    const RECT& s = wipe.savedClip;
    switch (wipe.kind) {
        case 1:
            return (clip.top = Moved(clip.top, d)) >= clip.bottom;
        case 2:
            return (clip.bottom = Moved(clip.bottom, -int64_t{d})) <= clip.top;
        case 3:
            return (clip.left = Moved(clip.left, d)) >= clip.right;
        case 4:
            return (clip.right = Moved(clip.right, -int64_t{d})) <= clip.left;
        case 5:
            return Close(clip.top, clip.bottom, d);
        case 6:
            return Close(clip.left, clip.right, d);
        case 7: {
            const bool rows = Close(clip.top, clip.bottom, d);
            return Close(clip.left, clip.right, d) || rows;
        }
        case 8:
            if (!wipe.narrowed) {
                wipe.narrowed = Narrow(clip.left, clip.right, Middle(s.left, s.right), d);
                return false;
            }
            return Close(clip.top, clip.bottom, d);
        default:
            if (!wipe.narrowed) {
                wipe.narrowed = Narrow(clip.top, clip.bottom, Middle(s.top, s.bottom), d);
                return false;
            }
            return Close(clip.left, clip.right, d);
    }
}

// Moves one edge outward toward its saved value; true once it is there.
bool Grow(LONG& edge, LONG saved, int32_t d, int32_t direction) {
    edge = Moved(edge, int64_t{direction} * d);
    if ((int64_t{saved} - edge) * direction <= 0) edge = saved;
    return edge == saved;
}

// Moves a pair outward; when either reaches its saved value both take theirs.
bool GrowPair(LONG& low, LONG& high, LONG savedLow, LONG savedHigh, int32_t d) {
    if (low == savedLow && high == savedHigh) return true;
    low = Moved(low, -int64_t{d});
    high = Moved(high, d);
    if (low <= savedLow || high >= savedHigh) {
        low = savedLow;
        high = savedHigh;
    }
    return low == savedLow && high == savedHigh;
}

bool OpeningStep(int32_t d) {
    const RECT& s = wipe.savedClip;
    switch (wipe.kind) {
        case 1:
            return Grow(clip.top, s.top, d, -1);
        case 2:
            return Grow(clip.bottom, s.bottom, d, 1);
        case 3:
            return Grow(clip.left, s.left, d, -1);
        case 4:
            return Grow(clip.right, s.right, d, 1);
        case 8:
            return GrowPair(clip.top, clip.bottom, s.top, s.bottom, d) &&
                   GrowPair(clip.left, clip.right, s.left, s.right, d);
        case 9:
            return GrowPair(clip.left, clip.right, s.left, s.right, d) &&
                   GrowPair(clip.top, clip.bottom, s.top, s.bottom, d);
        default: {
            const bool rows = GrowPair(clip.top, clip.bottom, s.top, s.bottom, d);
            const bool columns = GrowPair(clip.left, clip.right, s.left, s.right, d);
            return rows && columns;
        }
    }
}

}  // namespace

int32_t StartWipe(int32_t closing, int32_t kind, float speed, int32_t band) {
    if (wipe.state > 0) return 0;
    if (wipe.state == kClosed) clip = wipe.savedClip;
    wipe.savedClip = clip;
    if (kind == 0) kind = crt::rand() % 9 + 1;
    wipe.opened = wipe.closed = 0;
    wipe.closing = closing;
    wipe.kind = kind;
    wipe.speed = speed;
    wipe.band = band;
    wipe.narrowed = false;
    if (closing == 0) {
        wipe.state = kOpening;
        Collapse(kind, band);
    } else {
        wipe.state = kClosing;
    }
    return 1;
}

void CloseClip() {
    wipe.savedClip = clip;
    clip.right = clip.left;
    clip.bottom = clip.top;
    wipe.state = kClosed;
}

int32_t UpdateWipe() {
    if (wipe.state < kOpening) return 0;
    const int32_t d =
        crt::Saturate32(std::trunc(double(krSystemState.frameSeconds * wipe.speed)) + 1);
    if (wipe.state == kClosing) {
        if (ClosingStep(std::max(d, 1))) {
            wipe.state = kClosed;
            wipe.closed = 1;
        }
    } else if (OpeningStep(std::max(d, 1))) {
        wipe.state = kIdle;
        wipe.opened = 1;
    }
    return 1;
}

void RestoreClipOnSceneChange() {
    if (wipe.state <= 0) return;
    clip = wipe.savedClip;
    wipe.state = kIdle;
}

}  // namespace krDraw
