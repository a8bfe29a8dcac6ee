// Rotations of a sprite object into a destination rectangle of the Back surface, in fixed point
// with 360 as one, optionally zoomed, tiled and tinted.
#include "draw/pixels16.h"

namespace krDraw {

namespace {

using pixels16::Locked;

struct Turn {
    bool tile;
    bool zoomed;
    float zoomX, zoomXStep, zoomY, zoomYStep;
    bool tinted;
    float red, green, blue;
};

constexpr Turn kPlain{false, false, 1, 0, 1, 0, false, 1, 1, 1};

struct Rect64 {
    int64_t left, top, right, bottom;
};

int64_t Zoomed(int64_t value, float zoom) {
    return static_cast<int32_t>(pixels16::Truncate(static_cast<float>(value) / zoom));
}

int64_t Wrapped(int64_t value, int64_t extent) {
    return (value < 0 ? -value : value) % extent;
}

// The source position of a destination point, or false when the point shows nothing.
bool SourcePoint(const Turn& turn, float zoomX, float zoomY, int64_t sw, int64_t sh, int64_t& a,
                 int64_t& b) {
    if (turn.zoomed) {
        a = Zoomed(a, zoomX);
        b = Zoomed(b, zoomY);
    }
    if (turn.tile) {
        a = Wrapped(a, sw);
        b = Wrapped(b, sh);
        return true;
    }
    return a >= 0 && a < sw && b >= 0 && b < sh;
}

struct Walk {
    const Locked& source;
    const Locked& back;
    Rect64 destination;
    Rect64 from;  // the source rectangle
    int64_t sine, cosine;
    int64_t ox, oy;
    int64_t firstColumn, endColumn;
    const Turn& turn;
    const pixels16::ScaleTable* tint;  // red, green, blue
};

uint16_t Tinted(const Walk& walk, uint16_t pixel) {
    if (!walk.turn.tinted) return pixel;
    const pixels16::Components c = pixels16::Split(pixel);
    return pixels16::Join(walk.tint[0].entries[c.red], walk.tint[1].entries[c.green],
                          walk.tint[2].entries[c.blue]);
}

void DrawRow(const Walk& walk, int64_t j, int64_t u, int64_t v, float zoomX, float zoomY) {
    const int64_t sw = walk.from.right - walk.from.left, sh = walk.from.bottom - walk.from.top;
    u += walk.firstColumn * walk.cosine;
    v += walk.firstColumn * walk.sine;
    uint16_t* target = walk.back.Row(static_cast<int32_t>(walk.destination.top + j));
    for (int64_t i = walk.firstColumn; i < walk.endColumn; ++i, u += walk.cosine, v += walk.sine) {
        int64_t a = u / 360 - walk.ox, b = v / 360 - walk.oy;
        if (!SourcePoint(walk.turn, zoomX, zoomY, sw, sh, a, b)) continue;
        const int64_t sx = walk.from.left + a, sy = walk.from.top + b;
        if (sx < 0 || sx >= walk.source.width || sy < 0 || sy >= walk.source.height) continue;
        const uint16_t pixel = walk.source.At(static_cast<int32_t>(sx), static_cast<int32_t>(sy));
        if (pixel != 0) target[walk.destination.left + i] = Tinted(walk, pixel);
    }
}

constexpr int64_t kSteppedRows = 4096;

int32_t Rotate(const Rect64& destination, int32_t angle, int32_t object, const Rect64& from,
               const Turn& turn) {
    Locked source, back;
    if (!pixels16::LockPair(object, source, back)) return 0;
    const int64_t dw = destination.right - destination.left;
    const int64_t dh = destination.bottom - destination.top;
    const int64_t sw = from.right - from.left, sh = from.bottom - from.top;
    // Angles outside a turn are taken modulo 360 so the table lookups stay inside it.
    const int32_t degrees = (angle % 360 + 360) % 360;
    const int64_t sine = display.sine[degrees], cosine = display.sine[degrees + 90];
    const int64_t hw = dw / 2, hh = dh / 2;
    // Only the part inside the clip rectangle and the Back surface is visited.
    const int64_t visibleLeft = std::max<int64_t>(clip.left, 0) - destination.left;
    const int64_t visibleRight = std::min<int64_t>(clip.right, back.width) - destination.left;
    const int64_t visibleTop = std::max<int64_t>(clip.top, 0) - destination.top;
    const int64_t visibleBottom = std::min<int64_t>(clip.bottom, back.height) - destination.top;
    pixels16::ScaleTable tint[3];
    pixels16::FillScale(tint[0], display.redMax, turn.red);
    pixels16::FillScale(tint[1], display.greenMax, turn.green);
    pixels16::FillScale(tint[2], display.blueMax, turn.blue);
    const Walk walk{source,
                    back,
                    destination,
                    from,
                    sine,
                    cosine,
                    (dw - sw) / 2,
                    (dh - sh) / 2,
                    std::max<int64_t>(0, visibleLeft),
                    std::min(dw, visibleRight),
                    turn,
                    tint};
    if (sw > 0 && sh > 0 && walk.firstColumn < walk.endColumn) {
        const int64_t rowEnd = std::min(dh, visibleBottom);
        const bool steady = turn.zoomXStep == 0 && turn.zoomYStep == 0;
        float zoomX = turn.zoomX, zoomY = turn.zoomY;
        // The zooms accumulate row by row, so rows above the visible part are stepped through;
        // beyond a few screens of them the sum is taken at once, so that any top costs the same.
        const int64_t firstVisible = std::max<int64_t>(0, visibleTop);
        int64_t j = steady ? firstVisible : 0;
        if (firstVisible > kSteppedRows) {
            zoomX = float(double(zoomX) + double(turn.zoomXStep) * double(firstVisible));
            zoomY = float(double(zoomY) + double(turn.zoomYStep) * double(firstVisible));
            j = firstVisible;
        }
        for (; j < rowEnd; ++j) {
            if (j >= visibleTop) {
                DrawRow(walk, j, hw * 360 - hw * cosine + hh * sine - j * sine,
                        hh * 360 - hw * sine - hh * cosine + j * cosine, zoomX, zoomY);
            }
            zoomX += turn.zoomXStep;
            zoomY += turn.zoomYStep;
        }
    }
    pixels16::Unlock(source);
    pixels16::Unlock(back);
    return 1;
}

Turn ZoomedTurn(float zoom, bool tile) {
    Turn turn = kPlain;
    turn.zoomed = true;
    turn.zoomX = turn.zoomY = zoom;
    turn.tile = tile;
    return turn;
}

}  // namespace

int32_t RotateObject(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                     int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Rotate({left, top, right, bottom}, angle, object, {l, t, r, b}, kPlain);
}

int32_t RotateTile(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                   int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    Turn turn = kPlain;
    turn.tile = true;
    return Rotate({left, top, right, bottom}, angle, object, {l, t, r, b}, turn);
}

int32_t RotateZoom(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                   float zoom, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Rotate({left, top, right, bottom}, angle, object, {l, t, r, b}, ZoomedTurn(zoom, false));
}

int32_t RotateZoomTile(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                       float zoom, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Rotate({left, top, right, bottom}, angle, object, {l, t, r, b}, ZoomedTurn(zoom, true));
}

int32_t RotatePlane(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t angle,
                    float zoomX, float zoomXStep, float zoomY, float zoomYStep, float factorRed,
                    float factorGreen, float factorBlue, int32_t object, int32_t l, int32_t t,
                    int32_t r, int32_t b) {
    const Turn turn{true,      true, zoomX,     zoomXStep,   zoomY,
                    zoomYStep, true, factorRed, factorGreen, factorBlue};
    return Rotate({left, top, right, bottom}, angle, object, {l, t, r, b}, turn);
}

}  // namespace krDraw
