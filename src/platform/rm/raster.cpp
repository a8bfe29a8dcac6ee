// Triangle set-up, spans, the textured and ramp pixel path, the reference walk and lines.
#include "platform/rm/raster.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace rm::raster {
namespace {

constexpr int64_t kSub = 16;  // sub-pixel steps per pixel
constexpr double kColourOne = 65536.0;
constexpr double kDepthScale = 65535.0 * 4096.0;

struct Point {
    int64_t x, y;  // 1/16 pixel
};

Point Snap(const Vertex& v) {
    return {std::llround(double(v.x) * kSub), std::llround(double(v.y) * kSub)};
}

// E(p) = a·x + b·y + c, positive inside a clockwise triangle (screen y grows down).
struct Edge {
    int64_t a, b, c, bias;
};

Edge MakeEdge(Point p0, Point p1) {
    const int64_t a = -(p1.y - p0.y), b = p1.x - p0.x;
    const bool topLeft = a > 0 || (a == 0 && b > 0);
    return {a, b, -(a * p0.x + b * p0.y), topLeft ? 0 : 1};
}

int64_t FloorDiv(int64_t n, int64_t d) {
    const int64_t q = n / d;
    return (n % d != 0 && ((n < 0) != (d < 0))) ? q - 1 : q;
}
int64_t CeilDiv(int64_t n, int64_t d) {
    return -FloorDiv(-n, d);
}

bool Covers(const Edge& e, int64_t px, int64_t py) {
    return e.a * (px * kSub + kSub / 2) + e.b * (py * kSub + kSub / 2) + e.c >= e.bias;
}

// An attribute as a plane over the screen: value at pixel-space (x, y).
struct Plane {
    double origin, x0, y0, dx, dy;
    double At(double x, double y) const { return origin + dx * (x - x0) + dy * (y - y0); }
};

struct Setup {
    Point p[3];
    const Vertex* v[3];
    Edge edges[3];
    double area;  // twice the area in pixels²
};

Plane MakePlane(const Setup& s, double a0, double a1, double a2) {
    const double x0 = double(s.p[0].x) / kSub, y0 = double(s.p[0].y) / kSub;
    const double x1 = double(s.p[1].x) / kSub - x0, y1 = double(s.p[1].y) / kSub - y0;
    const double x2 = double(s.p[2].x) / kSub - x0, y2 = double(s.p[2].y) / kSub - y0;
    return {a0, x0, y0, ((a1 - a0) * y2 - (a2 - a0) * y1) / s.area,
            ((a2 - a0) * x1 - (a1 - a0) * x2) / s.area};
}

// Orders the corners clockwise; false for a culled or degenerate triangle.
bool Prepare(const State& state, const Vertex& a, const Vertex& b, const Vertex& c, Setup* s) {
    s->v[0] = &a;
    s->v[1] = &b;
    s->v[2] = &c;
    for (int i = 0; i < 3; ++i)
        s->p[i] = Snap(*s->v[i]);
    int64_t area = (s->p[1].x - s->p[0].x) * (s->p[2].y - s->p[0].y) -
                   (s->p[1].y - s->p[0].y) * (s->p[2].x - s->p[0].x);
    if (area == 0 || (area < 0 && state.cull)) return false;
    if (area < 0) {
        std::swap(s->p[1], s->p[2]);
        std::swap(s->v[1], s->v[2]);
        area = -area;
    }
    s->area = double(area) / (kSub * kSub);
    for (int i = 0; i < 3; ++i)
        s->edges[i] = MakeEdge(s->p[i], s->p[(i + 1) % 3]);
    return true;
}

struct Planes {
    Plane r, g, b, z, u, v, w;  // u, v are divided by w when perspective-correct
};

Planes MakePlanes(const Setup& s, const State& state) {
    auto plane = [&](float Vertex::*field, bool overW) {
        auto value = [&](int i) {
            const double w = overW ? double(s.v[i]->invW) : 1.0;
            return double(s.v[i]->*field) * w;
        };
        return MakePlane(s, value(0), value(1), value(2));
    };
    const bool perspective = state.texture != nullptr && state.perspective;
    return {plane(&Vertex::r, false),       plane(&Vertex::g, false),
            plane(&Vertex::b, false),       plane(&Vertex::z, false),
            plane(&Vertex::u, perspective), plane(&Vertex::v, perspective),
            plane(&Vertex::invW, false)};
}

struct Bounds {
    int64_t top, bottom;  // rows, bottom exclusive
};

Bounds RowsOf(const Setup& s, const Target& t) {
    int64_t low = s.p[0].y, high = s.p[0].y;
    for (const Point& p : s.p) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    return {std::max<int64_t>(t.clipTop, FloorDiv(low, kSub)),
            std::min<int64_t>(t.clipBottom, FloorDiv(high, kSub) + 1)};
}

// Covered pixels [left, right) of one row.
void SpanOf(const Setup& s, const Target& t, int64_t py, int64_t* left, int64_t* right) {
    int64_t lo = t.clipLeft, hi = int64_t(t.clipRight) - 1;
    for (const Edge& e : s.edges) {
        const int64_t row = e.a * (kSub / 2) + e.b * (py * kSub + kSub / 2) + e.c;
        if (e.a > 0) lo = std::max(lo, CeilDiv(e.bias - row, e.a * kSub));
        if (e.a < 0) hi = std::min(hi, FloorDiv(row - e.bias, -e.a * kSub));
        if (e.a == 0 && row < e.bias) hi = lo - 1;
    }
    *left = lo;
    *right = hi + 1;
}

// What one pixel needs, in the same fixed point for every path.
struct Sample {
    int32_t r, g, b, z;  // colour 16.16, depth 16.12
    float u, v;
};

int32_t ToFixed(double value, double scale) {
    return int32_t(std::lround(value * scale));
}

uint32_t Channel(int32_t fixed) {
    return uint32_t(std::clamp(fixed, 0, 255 << 16) >> 16);
}

uint32_t Modulate(uint32_t colour, uint32_t r, uint32_t g, uint32_t b) {
    return ((((colour >> 16) & 0xFF) * (r + 1)) >> 8 << 16) |
           ((((colour >> 8) & 0xFF) * (g + 1)) >> 8 << 8) | (((colour & 0xFF) * (b + 1)) >> 8);
}

uint32_t Pack(const Packing& p, uint32_t rgb) {
    return ((rgb >> 16 & 0xFF) >> p.rLoss << p.rShift) |
           ((rgb >> 8 & 0xFF) >> p.gLoss << p.gShift) | ((rgb & 0xFF) >> p.bLoss << p.bShift);
}

void Store(const Target& t, int64_t px, int64_t py, uint32_t pixel) {
    uint8_t* row = t.colour.Row(int32_t(py));
    if (t.colour.format.bitsPerPixel == 16)
        reinterpret_cast<uint16_t*>(row)[px] = uint16_t(pixel);
    else
        reinterpret_cast<uint32_t*>(row)[px] = pixel;
}

uint16_t* DepthAt(const Target& t, int64_t px, int64_t py) {
    return t.depth + py * t.depthPitch + px;
}

int32_t Wrapped(float coordinate, int32_t size) {
    const double scaled = double(coordinate) * size;
    int32_t index = int32_t(scaled);
    if (scaled < double(index)) --index;  // floor
    if ((size & (size - 1)) == 0) return index & (size - 1);
    index %= size;
    return index < 0 ? index + size : index;
}

// What every pixel of one triangle shares.
struct PixelContext {
    PixelContext(const Target& target, const State& s)
        : t(target), state(s), packing(PackingOf(target.colour.format)) {
        // The ramp: intensity 0..255 to one of `shades` levels, as a scale 0..255.
        const uint32_t top = state.shades > 0 ? state.shades - 1 : 0;
        for (uint32_t c = 0; c < 256; ++c)
            rampScale[c] = uint8_t(top == 0 ? 255 : (c * top + 127) / 255 * 255 / top);
    }
    const Target& t;
    const State& state;
    Packing packing;
    uint8_t rampScale[256];
};

// Texture, ramp and decal: one pixel at a time.
inline void ShadePixel(const PixelContext& c, int64_t px, int64_t py, const Sample& s) {
    const State& state = c.state;
    const int32_t depth = std::max(0, (std::clamp(s.z, 0, 65535 << 12) >> 12) - state.depthBias);
    uint16_t* stored = c.t.depth != nullptr ? DepthAt(c.t, px, py) : nullptr;
    if (state.depthTest && stored != nullptr && depth > *stored) return;
    uint32_t base = state.rampBase;
    if (state.texture != nullptr) {
        const Texture& tex = *state.texture;
        base = tex.texels[Wrapped(s.v, tex.height) * tex.width + Wrapped(s.u, tex.width)];
        if (tex.decal && base == tex.key) return;
    }
    uint32_t rgb;
    if (state.shades > 0) {
        const uint32_t scale = c.rampScale[Channel(s.r)];
        rgb = Modulate(base, scale, scale, scale);
    } else {
        rgb = Channel(s.r) << 16 | Channel(s.g) << 8 | Channel(s.b);
        if (state.texture != nullptr) rgb = Modulate(base, rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
    }
    Store(c.t, px, py, Pack(c.packing, rgb));
    if (state.depthWrite && stored != nullptr) *stored = uint16_t(depth);
}

Sample SampleAt(const Planes& planes, const State& state, double x, double y) {
    Sample s{ToFixed(planes.r.At(x, y), kColourOne),
             ToFixed(planes.g.At(x, y), kColourOne),
             ToFixed(planes.b.At(x, y), kColourOne),
             ToFixed(planes.z.At(x, y), kDepthScale),
             float(planes.u.At(x, y)),
             float(planes.v.At(x, y))};
    if (state.texture != nullptr && state.perspective) {
        const double w = planes.w.At(x, y);
        s.u = float(planes.u.At(x, y) / w);
        s.v = float(planes.v.At(x, y) / w);
    }
    return s;
}

// Textures and ramps a pixel at a time, each attribute stepped along the row.
void SteppedRow(const PixelContext& context, const Planes& planes, int64_t py, int64_t left,
                int64_t right) {
    const double x = double(left) + 0.5, y = double(py) + 0.5;
    const uint32_t r = uint32_t(ToFixed(planes.r.At(x, y), kColourOne));
    const uint32_t g = uint32_t(ToFixed(planes.g.At(x, y), kColourOne));
    const uint32_t b = uint32_t(ToFixed(planes.b.At(x, y), kColourOne));
    const uint32_t z = uint32_t(ToFixed(planes.z.At(x, y), kDepthScale));
    const uint32_t dr = uint32_t(ToFixed(planes.r.dx, kColourOne));
    const uint32_t dg = uint32_t(ToFixed(planes.g.dx, kColourOne));
    const uint32_t db = uint32_t(ToFixed(planes.b.dx, kColourOne));
    const uint32_t dz = uint32_t(ToFixed(planes.z.dx, kDepthScale));
    const double u = planes.u.At(x, y), v = planes.v.At(x, y), w = planes.w.At(x, y);
    const bool perspective = context.state.texture != nullptr && context.state.perspective;
    const bool test = context.state.depthTest && context.t.depth != nullptr;
    const uint16_t* depth = context.t.depth != nullptr ? DepthAt(context.t, left, py) : nullptr;
    for (int64_t px = left; px < right; ++px) {
        const auto i = uint32_t(px - left);
        const auto zHere = int32_t(z + i * dz);
        // Hidden pixels are the common case with many overlapping walls: reject them first.
        const int32_t depthHere =
            std::max(0, (std::clamp(zHere, 0, 65535 << 12) >> 12) - context.state.depthBias);
        if (test && depthHere > depth[i]) continue;
        const double step = double(i);
        Sample s{int32_t(r + i * dr),           int32_t(g + i * dg),
                 int32_t(b + i * db),           zHere,
                 float(u + step * planes.u.dx), float(v + step * planes.v.dx)};
        if (perspective) {
            const double over = 1.0 / (w + step * planes.w.dx);
            s.u = float((u + step * planes.u.dx) * over);
            s.v = float((v + step * planes.v.dx) * over);
        }
        ShadePixel(context, px, py, s);
    }
}

bool UsesFastSpan(const State& state) {
    return state.texture == nullptr && state.shades == 0;
}

void FastRow(const Target& t, const State& state, const Packing& packing, const Planes& planes,
             int64_t py, int64_t left, int64_t right) {
    const double x = double(left) + 0.5, y = double(py) + 0.5;
    const GouraudSpan span{
        ToFixed(planes.r.At(x, y), kColourOne), ToFixed(planes.g.At(x, y), kColourOne),
        ToFixed(planes.b.At(x, y), kColourOne), ToFixed(planes.z.At(x, y), kDepthScale),
        ToFixed(planes.r.dx, kColourOne),       ToFixed(planes.g.dx, kColourOne),
        ToFixed(planes.b.dx, kColourOne),       ToFixed(planes.z.dx, kDepthScale)};
    const uint32_t bytes = pixels::BytesPerPixel(t.colour.format);
    const bool hasDepth = t.depth != nullptr;
    FillGouraudSpan(t.colour.Row(int32_t(py)) + left * bytes, bytes,
                    hasDepth ? DepthAt(t, left, py) : nullptr, int32_t(right - left), span, packing,
                    state.depthTest && hasDepth, state.depthWrite && hasDepth);
}

}  // namespace

Packing PackingOf(const pixels::Format& format) {
    auto channel = [](uint32_t mask, int32_t* shift, int32_t* loss) {
        const int32_t bits = std::popcount(mask);
        *shift = std::countr_zero(mask) + std::max(0, bits - 8);
        *loss = std::max(0, 8 - bits);
    };
    Packing p{};
    channel(format.redMask, &p.rShift, &p.rLoss);
    channel(format.greenMask, &p.gShift, &p.gLoss);
    channel(format.blueMask, &p.bShift, &p.bLoss);
    return p;
}

bool DrawTriangle(const Target& t, const State& state, const Vertex& a, const Vertex& b,
                  const Vertex& c) {
    Setup s;
    if (!Prepare(state, a, b, c, &s)) return false;
    const Planes planes = MakePlanes(s, state);
    const PixelContext context(t, state);
    const Bounds rows = RowsOf(s, t);
    for (int64_t py = rows.top; py < rows.bottom; ++py) {
        int64_t left, right;
        SpanOf(s, t, py, &left, &right);
        if (left >= right) continue;
        if (UsesFastSpan(state)) {
            FastRow(t, state, context.packing, planes, py, left, right);
            continue;
        }
        SteppedRow(context, planes, py, left, right);
    }
    return true;
}

bool DrawTriangleReference(const Target& t, const State& state, const Vertex& a, const Vertex& b,
                           const Vertex& c) {
    Setup s;
    if (!Prepare(state, a, b, c, &s)) return false;
    const Planes planes = MakePlanes(s, state);
    const PixelContext context(t, state);
    for (int64_t py = t.clipTop; py < t.clipBottom; ++py)
        for (int64_t px = t.clipLeft; px < t.clipRight; ++px) {
            bool inside = true;
            for (const Edge& e : s.edges)
                inside = inside && Covers(e, px, py);
            if (inside)
                ShadePixel(context, px, py,
                           SampleAt(planes, state, double(px) + 0.5, double(py) + 0.5));
        }
    return true;
}

void DrawLine(const Target& t, const State& state, const Vertex& a, const Vertex& b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const int64_t steps = std::max<int64_t>(1, std::llround(std::max(std::abs(dx), std::abs(dy))));
    State flat = state;
    flat.texture = nullptr;
    const PixelContext context(t, flat);
    for (int64_t i = 0; i <= steps; ++i) {
        const double f = double(i) / double(steps);
        const int64_t px = int64_t(std::floor(a.x + dx * f)),
                      py = int64_t(std::floor(a.y + dy * f));
        if (px < t.clipLeft || px >= t.clipRight || py < t.clipTop || py >= t.clipBottom) continue;
        const double z = a.z + (double(b.z) - a.z) * f;
        ShadePixel(context, px, py,
                   {ToFixed(a.r, kColourOne), ToFixed(a.g, kColourOne), ToFixed(a.b, kColourOne),
                    ToFixed(z, kDepthScale), 0, 0});
    }
}

void Clear(const Target& t, uint32_t pixel) {
    for (int32_t y = t.clipTop; y < t.clipBottom; ++y) {
        for (int32_t x = t.clipLeft; x < t.clipRight; ++x)
            Store(t, x, y, pixel);
        if (t.depth != nullptr)
            std::fill(DepthAt(t, t.clipLeft, y), DepthAt(t, t.clipRight, y), uint16_t(0xFFFF));
    }
}

}  // namespace rm::raster
