// Clipped blits of objects and of the 3D picture onto the Back surface, colour fills, and the
// stretched, mirrored, row-by-row and shaken draws.
#include <algorithm>

#include "draw/display.h"
#include "draw/effects.h"
#include "platform/crt/crt.h"
#include "platform/crt/saturate.h"
#include "platform/gdi/gdi.h"

namespace krDraw {

RECT clip;

namespace {

constexpr DWORD kWhite = 0xFFFFFF;

bool FitsInt32(int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

// A far edge that cannot wrap: the blit refuses what lies outside its surface anyway.
LONG FarEdge(int32_t origin, int32_t extent) {
    return static_cast<LONG>(std::clamp<int64_t>(int64_t{origin} + extent, INT32_MIN, INT32_MAX));
}

// Cuts the source rectangle so that the copy at (x, y) stays inside the clip rectangle; draws
// nothing when the cut leaves the bottom above the top or the right left of the left.
void ClippedBlt(dd::Surface* source, int64_t x, int64_t y, int64_t left, int64_t top, int64_t right,
                int64_t bottom, DWORD flags) {
    if (display.back == nullptr || source == nullptr) return;
    if (x + (right - left) > clip.right) right -= x + (right - left) - clip.right;
    if (y + (bottom - top) > clip.bottom) bottom -= y + (bottom - top) - clip.bottom;
    if (x < clip.left) {
        left += clip.left - x;
        x = clip.left;
    }
    if (y < clip.top) {
        top += clip.top - y;
        y = clip.top;
    }
    if (right < left || bottom < top) return;
    if (!FitsInt32(left) || !FitsInt32(top) || !FitsInt32(right) || !FitsInt32(bottom)) return;
    const RECT from{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                    static_cast<LONG>(bottom)};
    if (display.back->BltFast(static_cast<LONG>(x), static_cast<LONG>(y), source, &from, flags) ==
        dd::DDERR_SURFACELOST) {
        RestoreAll();
    }
}

void Fill(dd::Surface* target, const RECT& rect, DWORD colour) {
    if (target == nullptr) return;
    const dd::DDBLTFX effects{sizeof(dd::DDBLTFX), colour};
    target->Blt(&rect, nullptr, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &effects);
}

RECT ScreenRect() {
    return RECT{0, 0, krSystemState.screenWidth, krSystemState.screenHeight};
}

// Copies a source rectangle of the object into the Buffer object at (0, 0) with GDI; a negative
// source extent mirrors. Nothing is copied unless both contexts are had.
void StageInBuffer(int32_t object, int32_t width, int32_t height, int32_t sourceX, int32_t sourceY,
                   int32_t sourceWidth, int32_t sourceHeight, bool copy) {
    dd::Surface* buffer = sprites[kBufferObject].surface;
    dd::Surface* source = ObjectSurface(object);
    if (buffer == nullptr || source == nullptr) return;
    HDC bufferDC = nullptr, sourceDC = nullptr;
    if (buffer->GetDC(&bufferDC) != dd::DD_OK) return;
    if (source->GetDC(&sourceDC) == dd::DD_OK) {
        if (copy) {
            gdi::StretchBlt(bufferDC, 0, 0, width, height, sourceDC, sourceX, sourceY, sourceWidth,
                            sourceHeight, gdi::SRCCOPY);
        }
        source->ReleaseDC(sourceDC);
    }
    buffer->ReleaseDC(bufferDC);
}

// One row of the rectangle as its own clipped blit.
void PutRow(int32_t x, int32_t y, int32_t object, int32_t left, int32_t row, int32_t right,
            int32_t top) {
    ClippedBlt(ObjectSurface(object), x, int64_t{y} + row - top, left, row, right, int64_t{row} + 1,
               dd::DDBLTFAST_SRCCOLORKEY | dd::DDBLTFAST_WAIT);
}

}  // namespace

RowRange ReachableRows(int64_t first, int64_t end, int64_t at) {
    dd::DDSURFACEDESC back{};
    const int64_t height =
        display.back != nullptr && display.back->GetSurfaceDesc(&back) == dd::DD_OK ? back.dwHeight
                                                                                    : 0;
    const int64_t top = std::max<int64_t>(clip.top, 0);
    const int64_t bottom = std::min<int64_t>(clip.bottom, height);
    const int64_t last = std::max(first, end);
    const int64_t from = std::clamp(first + top - at, first, last);
    return {from, std::clamp(first + bottom - at, from, last)};
}

void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    clip = RECT{left, top, right, bottom};
}

void PutObject(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
               int32_t bottom) {
    ClippedBlt(ObjectSurface(object), x, y, left, top, right, bottom,
               dd::DDBLTFAST_SRCCOLORKEY | dd::DDBLTFAST_WAIT);
}

void PutObjectSolid(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) {
    ClippedBlt(ObjectSurface(object), x, y, left, top, right, bottom, dd::DDBLTFAST_WAIT);
}

void Put3D(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    ClippedBlt(display.surface3D, x, y, left, top, right, bottom,
               dd::DDBLTFAST_SRCCOLORKEY | dd::DDBLTFAST_WAIT);
}

void Put3DSolid(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    ClippedBlt(display.surface3D, x, y, left, top, right, bottom, dd::DDBLTFAST_WAIT);
}

void StretchObject(int32_t x, int32_t y, int32_t object, int32_t left, int32_t top, int32_t right,
                   int32_t bottom, int32_t width, int32_t height) {
    int32_t sourceWidth, sourceHeight;
    if (!crt::Extent32(left, right, &sourceWidth) || !crt::Extent32(top, bottom, &sourceHeight))
        return;
    if (display.stretch == 0) {
        StageInBuffer(object, width, height, left, top, sourceWidth, sourceHeight, true);
        PutObject(x, y, kBufferObject, 0, 0, width, height);
        return;
    }
    dd::Surface* source = ObjectSurface(object);
    if (display.back == nullptr || source == nullptr) return;
    const RECT to{x, y, FarEdge(x, width), FarEdge(y, height)};
    const RECT from{left, top, right, bottom};
    if (display.back->Blt(&to, source, &from, dd::DDBLT_KEYSRC | dd::DDBLT_WAIT, nullptr) ==
        dd::DDERR_SURFACELOST) {
        RestoreAll();
    }
}

void MirrorObject(int32_t x, int32_t y, int32_t mode, int32_t object, int32_t left, int32_t top,
                  int32_t right, int32_t bottom) {
    int32_t width, height;
    if (!crt::Extent32(left, right, &width) || !crt::Extent32(top, bottom, &height)) return;
    const bool mirrorX = mode == 1 || mode == 3;
    const bool mirrorY = mode == 2 || mode == 3;
    // A negative extent covers [origin + extent, origin) read backwards, so the origin lies one
    // past the far edge: the mirror then reads exactly the rectangle, from its last column.
    StageInBuffer(object, width, height, mirrorX ? right : left, mirrorY ? bottom : top,
                  mirrorX ? -width : width, mirrorY ? -height : height, mode >= 0 && mode <= 3);
    PutObject(x, y, kBufferObject, 0, 0, width, height);
}

void PutRows(int32_t x, int32_t y, int32_t spacing, int32_t object, int32_t left, int32_t top,
             int32_t right, int32_t bottom) {
    if (spacing > 0) {
        const RowRange reach = ReachableRows(top, bottom, y);
        // The first row of the spacing within reach: rows above it would draw nothing.
        const int64_t steps = std::max<int64_t>(1, (reach.first - top + spacing - 1) / spacing);
        for (int64_t row = top + steps * spacing; row < reach.end; row += spacing)
            PutRow(x, y, object, left, static_cast<int32_t>(row), right, top);
    } else if (spacing < 0) {
        // Every row takes a random number, and how many rows there are depends on those numbers,
        // so the rows out of reach are walked to keep the sequence. Only the nearest rows out of
        // reach are: rows farther than any surface from the clip are passed over without numbers.
        constexpr int64_t kWalkedRowsOutOfReach = int64_t{1} << 20;
        const RowRange reach = ReachableRows(top, bottom, y);
        const int64_t end = std::min<int64_t>(bottom, reach.end + kWalkedRowsOutOfReach);
        const int64_t range = -int64_t{spacing};
        int64_t row = top + crt::rand() % range + 1;
        row = std::max(row, reach.first - kWalkedRowsOutOfReach);
        for (; row < end; row += crt::rand() % range + 1) {
            if (row >= reach.first && row < reach.end)
                PutRow(x, y, object, left, static_cast<int32_t>(row), right, top);
        }
    }
}

// Every row takes a random number: those out of reach are passed over in the generator at once.
void ShakeObject(int32_t x, int32_t y, int32_t amplitude, int32_t object, int32_t left, int32_t top,
                 int32_t right, int32_t bottom) {
    if (amplitude <= 0) {
        PutObject(x, y, object, left, top, right, bottom);
        return;
    }
    const int64_t range = 2 * int64_t{amplitude};
    const RowRange reach = ReachableRows(top, bottom, y);
    crt::SkipRand(uint64_t(reach.first - top));
    for (int64_t row = reach.first; row < reach.end; ++row) {
        const auto shift = static_cast<int32_t>(crt::rand() % range - amplitude);
        PutRow(FarEdge(x, shift), y, object, left, static_cast<int32_t>(row), right, top);
    }
    crt::SkipRand(uint64_t(std::max<int64_t>(0, int64_t{bottom} - reach.end)));
}

void Clear() {
    Fill(display.back, ScreenRect(), 0);
}

void Clear3D() {
    Fill(display.surface3D, ScreenRect(), 0);
}

void ClearRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Fill(display.back, RECT{left, top, right, bottom}, 0);
}

void ClearWhite() {
    Fill(display.back, ScreenRect(), kWhite);
}

void ClearRectWhite(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Fill(display.back, RECT{left, top, right, bottom}, kWhite);
}

}  // namespace krDraw
