#pragma once
// 16-bit pixel access for the software effects: whole-surface locks and the component split
// with the shifts and maxima the display set-up read from the pixel format.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "draw/display.h"

namespace krDraw::pixels16 {

// A locked 16-bit surface; pitch in pixels.
struct Locked {
    dd::Surface* surface = nullptr;
    uint16_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0, height = 0;

    uint16_t* Row(int32_t y) const { return pixels + static_cast<intptr_t>(y) * pitch; }
    uint16_t& At(int32_t x, int32_t y) const { return Row(y)[x]; }
};

// Locks the whole surface; fails (leaving nothing locked) when the lock fails or the surface
// has no 16-bit pixels, since the effects only know 16-bit words.
bool Lock(dd::Surface* surface, Locked& locked);
void Unlock(Locked& locked);
// Locks the object's surface, then the Back surface; on failure nothing stays locked.
bool LockPair(int32_t object, Locked& source, Locked& back);

struct Components {
    uint32_t red, green, blue;
};

inline Components Split(uint32_t pixel) {
    return {(pixel >> display.redShift) & display.redMax,
            (pixel >> display.greenShift) & display.greenMax,
            (pixel >> display.blueShift) & display.blueMax};
}

// Components above their maximum spill into the neighbour's bits; the result keeps 16 bits.
inline uint16_t Join(uint32_t red, uint32_t green, uint32_t blue) {
    return static_cast<uint16_t>((red << display.redShift) | (green << display.greenShift) |
                                 (blue << display.blueShift));
}

inline uint16_t Join(const Components& c) {
    return Join(c.red, c.green, c.blue);
}

// trunc of a float product as a component: out-of-range values saturate instead of being
// undefined, negative ones keep their low bits as an integer conversion would.
inline uint32_t Truncate(float value) {
    if (!(value > -2147483648.0f)) return 0x80000000u;
    if (!(value < 2147483648.0f)) return 0x7FFFFFFFu;
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

// The table of trunc(value * factor) for every value of a component up to its maximum.
struct ScaleTable {
    uint32_t entries[256];
};

inline void FillScale(ScaleTable& table, uint32_t maximum, float factor) {
    for (uint32_t v = 0; v <= maximum && v < 256; ++v)
        table.entries[v] = Truncate(static_cast<float>(v) * factor);
}

// One interval of a rectangle cut to [0, limit): the first offset inside and the count.
struct Span {
    int64_t skip, count;
};

inline Span Within(int64_t start, int64_t count, int64_t limit) {
    const int64_t skip = start < 0 ? -start : 0;
    const int64_t end = std::min(start + count, limit);
    return {skip, std::max<int64_t>(0, end - (start + skip))};
}

}  // namespace krDraw::pixels16
