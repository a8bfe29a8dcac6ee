// Sprite objects drawn row by row with clipped blits: cosine waves, scrolling tiles, a vertical
// mosaic and a turning drum. Each effect keeps its phase and scroll for the whole run.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "draw/effects.h"
#include "platform/crt/saturate.h"

namespace krDraw {

RowState rows;

namespace {

// In double precision, so that exact values such as cos 60 degrees come out whole.
int32_t CosineOffset(int32_t n, float phase, int32_t amplitude) {
    return static_cast<int32_t>(
        std::cos((n + static_cast<double>(phase)) * 2.0 * std::numbers::pi / 360.0) * amplitude);
}

void AdvancePhase(float& phase, float speed) {
    phase += krSystemState.frameSeconds * speed;
    if (phase >= 360.0f) phase -= 360.0f;
}

// A scroll runs down by the frame's distance and stays within [0, extent).
void AdvanceScroll(float& scroll, float speed, int32_t extent) {
    scroll -= krSystemState.frameSeconds * speed;
    if (scroll < 0) scroll += static_cast<float>(extent);
    if (scroll >= static_cast<float>(extent)) scroll -= static_cast<float>(extent);
}

void AdvanceTileOffset(float& offset, float speed, int32_t extent) {
    offset += krSystemState.frameSeconds * speed;
    if (offset < static_cast<float>(-extent)) offset += static_cast<float>(extent);
    if (offset > 0) offset -= static_cast<float>(extent);
}

// Positions in 64 bits: far off the surface they saturate, where nothing is drawn either way.
void DrawRow(int64_t x, int64_t y, int32_t object, int32_t l, int32_t row, int32_t r) {
    PutObject(crt::Saturate32(x), crt::Saturate32(y), object, l, row, r, row + 1);
}

}  // namespace

// Every row turns the alternating sign: the rows out of reach turn it by their count's parity.
void WaveObject(int32_t x, int32_t y, int32_t amplitude, int32_t rowsPerDegree, float speed,
                int32_t object, int32_t l, int32_t t, int32_t r, int32_t b, bool alternate) {
    if (rowsPerDegree < 1) return;
    const RowRange reach = ReachableRows(t, b, y);
    const int64_t unreached = std::max<int64_t>(0, int64_t{b} - t) - (reach.end - reach.first);
    if (alternate && (reach.first - t) % 2 != 0) rows.alternatingSign = -rows.alternatingSign;
    for (int64_t row = reach.first; row < reach.end; ++row) {
        int64_t off =
            CosineOffset(static_cast<int32_t>(row / rowsPerDegree), rows.wavePhaseA, amplitude);
        if (alternate) {
            off *= rows.alternatingSign;
            rows.alternatingSign = -rows.alternatingSign;
        }
        DrawRow(int64_t{x} + off, int64_t{y} + row - t, object, l, static_cast<int32_t>(row), r);
    }
    if (alternate && (unreached - (reach.first - t)) % 2 != 0)
        rows.alternatingSign = -rows.alternatingSign;
    AdvancePhase(rows.wavePhaseA, speed);
}

void ScrollTiles(float speedX, float speedY, int32_t object, int32_t l, int32_t t, int32_t r,
                 int32_t b) {
    int32_t w, h;
    if (!crt::Extent32(l, r, &w) || !crt::Extent32(t, b, &h) || w < 1 || h < 1) return;
    const int64_t offsetX = crt::Saturate32(double(rows.tileOffsetX));
    const int64_t offsetY = crt::Saturate32(double(rows.tileOffsetY));
    for (int32_t i = 0; i <= krSystemState.screenHeight / h + 1; ++i) {
        for (int32_t j = 0; j <= krSystemState.screenWidth / w + 1; ++j)
            PutObject(crt::Saturate32(int64_t{j} * w + offsetX),
                      crt::Saturate32(int64_t{i} * h + offsetY), object, l, t, r, b);
    }
    AdvanceTileOffset(rows.tileOffsetX, speedX, w);
    AdvanceTileOffset(rows.tileOffsetY, speedY, h);
}

void WaveScrollObject(int32_t x, int32_t y, int32_t amplitude, int32_t rowsPerDegree,
                      float waveSpeed, float scrollSpeed, int32_t object, int32_t l, int32_t t,
                      int32_t r, int32_t b) {
    int32_t h;
    if (rowsPerDegree < 1 || !crt::Extent32(t, b, &h) || h < 1) return;
    const RowRange reach = ReachableRows(t, b, int64_t{y} + t);
    for (int64_t row = reach.first; row < reach.end; ++row) {
        const int32_t off =
            CosineOffset(static_cast<int32_t>(row / rowsPerDegree), rows.wavePhaseB, amplitude);
        int64_t source = row + crt::Saturate32(double(rows.scrollB));
        if (source >= b) source = int64_t{t} + (source - b) + 1;
        DrawRow(int64_t{x} + off, int64_t{y} + row, object, l, crt::Saturate32(source), r);
    }
    AdvancePhase(rows.wavePhaseB, waveSpeed);
    AdvanceScroll(rows.scrollB, scrollSpeed, h);
}

void WaveBand(int32_t top, int32_t bottom, int32_t amplitude, int32_t rowsPerDegree,
              float waveSpeed, float scrollSpeed, int32_t object, int32_t l, int32_t t, int32_t r,
              int32_t b) {
    int32_t w, h;
    if (rowsPerDegree < 1 || !crt::Extent32(l, r, &w) || !crt::Extent32(t, b, &h) || w < 1 || h < 1)
        return;
    const RowRange reach = ReachableRows(0, int64_t{bottom} - top, top);
    for (int64_t i = reach.first; i < reach.end; ++i) {
        int64_t source = i % h + crt::Saturate32(double(rows.scrollC));
        if (source > h - 1) source -= h;
        const int64_t off = CosineOffset(
            crt::Saturate32(double(static_cast<float>(i / rowsPerDegree) + rows.wavePhaseC)), 0,
            amplitude);
        for (int32_t j = 0; j <= krSystemState.screenWidth / w + 1; ++j)
            DrawRow(int64_t{j} * w + off - amplitude, int64_t{top} + i, object, l,
                    crt::Saturate32(t + source), r);
    }
    AdvancePhase(rows.wavePhaseC, waveSpeed);
    AdvanceScroll(rows.scrollC, scrollSpeed, h);
}

void BlockRows(int32_t x, int32_t y, int32_t blockHeight, int32_t object, int32_t l, int32_t t,
               int32_t r, int32_t b) {
    if (blockHeight < 1 || b <= t) return;
    // Row i below y shows the first row of its block; the last block is drawn whole.
    const int64_t blocks = (int64_t{b} - t + blockHeight - 1) / blockHeight;
    const RowRange reach = ReachableRows(0, blocks * blockHeight, y);
    for (int64_t i = reach.first; i < reach.end; ++i)
        DrawRow(x, y + i, object, l, static_cast<int32_t>(t + i / blockHeight * blockHeight), r);
}

void DrumObject(int32_t x, int32_t y, int32_t direction, float speed, int32_t object, int32_t l,
                int32_t t, int32_t r, int32_t b) {
    int32_t n;
    if (!crt::Extent32(t, b, &n)) return;
    if (n < 2) return;
    const int32_t half = n / 2;
    // Source rows past the object's bottom and target rows out of reach draw nothing: a huge
    // extent costs no more than the object and the clip rectangle.
    const int64_t sourceRows = std::min<int64_t>(n, ObjectHeight(object));
    const RowRange reach = ReachableRows(0, int64_t{2} * half + 1, y);
    int64_t fill = 0;
    for (int32_t i = 0; i < sourceRows; ++i) {
        const int32_t e = static_cast<int32_t>(std::cos((i + static_cast<double>(rows.drumPhase)) *
                                                        2.0 * std::numbers::pi / (n - 1)) *
                                               half) +
                          half;
        const int64_t last = std::min<int64_t>(e, reach.end - 1);
        for (int64_t k = std::max(fill, reach.first); k <= last; ++k)
            PutObjectSolid(x, static_cast<int32_t>(y + k), object, l, i, r, i + 1);
        fill = int64_t{e} + 1;
    }
    const float step = krSystemState.frameSeconds * speed;
    if (direction == 0) {
        rows.drumPhase -= step;
        if (rows.drumPhase < 0) rows.drumPhase += static_cast<float>(n);
    } else {
        rows.drumPhase += step;
        if (rows.drumPhase >= static_cast<float>(n)) rows.drumPhase -= static_cast<float>(n);
    }
}

}  // namespace krDraw
