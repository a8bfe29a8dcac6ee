// Triangle set-up, spans, the textured and ramp pixel path, the reference walk and lines.
#include "platform/rm/raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

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

// Exact floor of n / d. Every edge of every triangle needs a few, and a division of 64-bit
// integers costs far more than guessing the quotient in floating point and correcting it.
int64_t FloorDiv(int64_t n, int64_t d) {
    constexpr int64_t kExactInDouble = int64_t(1) << 52;
    if (n > kExactInDouble || n < -kExactInDouble || d > kExactInDouble || d < -kExactInDouble) {
        const int64_t q = n / d;
        return (n % d != 0 && ((n < 0) != (d < 0))) ? q - 1 : q;
    }
    if (d < 0) {
        n = -n;
        d = -d;
    }
    auto q = int64_t(double(n) / double(d));
    while (q * d > n)
        --q;
    while ((q + 1) * d <= n)
        ++q;
    return q;
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
    if (!Drawable(a) || !Drawable(b) || !Drawable(c)) return false;
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
    // Only the planes the triangle's path reads; the others stay 0.
    const bool ramp = state.shades > 0, textured = state.texture != nullptr;
    const bool perspective = textured && state.perspective;
    Planes planes{};
    planes.r = plane(&Vertex::r, false);
    planes.z = plane(&Vertex::z, false);
    if (!ramp) {
        planes.g = plane(&Vertex::g, false);
        planes.b = plane(&Vertex::b, false);
    }
    if (textured) {
        planes.u = plane(&Vertex::u, perspective);
        planes.v = plane(&Vertex::v, perspective);
    }
    if (perspective) planes.w = plane(&Vertex::invW, false);
    return planes;
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

// Where one edge bounds the rows, walked down a row at a time: floor((E - bias) / (|a|·16)) at
// the row's first pixel centre, kept as a quotient and remainder so that a row costs additions
// instead of divisions.
struct EdgeWalk {
    int64_t quotient, remainder, divisor;  // 0 <= remainder < divisor
    int64_t stepQuotient, stepRemainder;   // per row, the same way
    int64_t value, step;                   // E - bias itself, for edges along a row
    int64_t a;
};

EdgeWalk StartEdge(const Edge& e, int64_t py) {
    const int64_t value = e.a * (kSub / 2) + e.b * (py * kSub + kSub / 2) + e.c - e.bias;
    const int64_t step = e.b * kSub;
    EdgeWalk w{0, 0, 1, 0, 0, value, step, e.a};
    if (e.a == 0) return w;
    w.divisor = (e.a > 0 ? e.a : -e.a) * kSub;
    w.quotient = FloorDiv(value, w.divisor);
    w.remainder = value - w.quotient * w.divisor;
    w.stepQuotient = FloorDiv(step, w.divisor);
    w.stepRemainder = step - w.stepQuotient * w.divisor;
    return w;
}

void NextRow(EdgeWalk* w) {
    w->value += w->step;
    w->quotient += w->stepQuotient;
    w->remainder += w->stepRemainder;
    if (w->remainder >= w->divisor) {
        w->remainder -= w->divisor;
        ++w->quotient;
    }
}

// Covered pixels [left, right) of the walks' row: a pixel is inside an edge when
// a·16·x + E(0) - bias >= 0.
void SpanOf(const EdgeWalk walks[3], const Target& t, int64_t* left, int64_t* right) {
    int64_t lo = t.clipLeft, hi = int64_t(t.clipRight) - 1;
    for (int i = 0; i < 3; ++i) {
        const EdgeWalk& w = walks[i];
        if (w.a > 0) lo = std::max(lo, -w.quotient);
        if (w.a < 0) hi = std::min(hi, w.quotient);
        if (w.a == 0 && w.value < 0) hi = lo - 1;
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

// Kept per shade count, since building a ramp costs hundreds of divisions and every triangle
// of a scene shares it.
const Ramp& RampOf(uint32_t shades) {
    thread_local Ramp ramp;
    if (ramp.shades == shades) return ramp;
    const uint32_t top = shades > 0 ? shades - 1 : 0;
    auto scaleOfLevel = [top](uint32_t level) { return top == 0 ? 255 : level * 255 / top; };
    for (uint32_t c = 0; c < 256; ++c)
        ramp.scale[c] = int32_t(scaleOfLevel((c * top + 127) / 255));
    ramp.fewLevels = top >= 1 && top <= 15;
    for (uint32_t level = 0; level < 16; ++level)
        ramp.levelScale[level] = uint8_t(level <= top ? scaleOfLevel(level) : 0);
    ramp.shades = shades;
    return ramp;
}

// Which pixel path a triangle takes; the fast rows are built for each combination.
struct Kind {
    bool ramp, textured, perspective;
};

Kind KindOf(const State& state) {
    const bool textured = state.texture != nullptr;
    return {state.shades > 0, textured, textured && state.perspective};
}

// What every pixel of one triangle shares.
struct PixelContext {
    PixelContext(const Target& target, const State& s)
        : t(target),
          state(s),
          packing(PackingOf(target.colour.format)),
          ramp(RampOf(s.shades)),
          kind(KindOf(s)),
          blocks(s.shades > 0 && s.texture != nullptr && target.depth != nullptr &&
                 RampTexturedVectorised(*s.texture)) {}
    const Target& t;
    const State& state;
    Packing packing;
    const Ramp& ramp;
    Kind kind;    // once per triangle: put together for each row, it stalled the row's start
    bool blocks;  // ramp-textured rows go through the vectorised blocks
};

int32_t DepthOf(const State& state, uint32_t z) {
    return std::max(0, (std::clamp(int32_t(z), 0, 65535 << 12) >> 12) - state.depthBias);
}

// The texel under a sample, or nothing when it is decal-transparent.
inline bool TexelAt(const Texture& tex, const Sample& s, uint32_t* texel) {
    *texel = tex.texels[Wrapped(s.v, tex.height) * tex.width + Wrapped(s.u, tex.width)];
    return !(tex.decal && *texel == tex.key);
}

inline uint32_t ShadeColour(Kind kind, const int32_t* rampScale, uint32_t base, const Sample& s) {
    if (kind.ramp) {
        const auto scale = uint32_t(rampScale[Channel(s.r)]);
        return Modulate(base, scale, scale, scale);
    }
    const uint32_t rgb = Channel(s.r) << 16 | Channel(s.g) << 8 | Channel(s.b);
    if (!kind.textured) return rgb;
    return Modulate(base, rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
}

// Texture, ramp and decal: one pixel at a time.
inline void ShadePixel(const PixelContext& c, int64_t px, int64_t py, const Sample& s) {
    const State& state = c.state;
    const int32_t depth = DepthOf(state, uint32_t(s.z));
    uint16_t* stored = c.t.depth != nullptr ? DepthAt(c.t, px, py) : nullptr;
    if (state.depthTest && stored != nullptr && depth > *stored) return;
    uint32_t base = state.rampBase;
    if (state.texture != nullptr && !TexelAt(*state.texture, s, &base)) return;
    Store(c.t, px, py, Pack(c.packing, ShadeColour(KindOf(state), c.ramp.scale, base, s)));
    if (state.depthWrite && stored != nullptr) *stored = uint16_t(depth);
}

// Attributes of one row at column 0, from which every pixel of the row is stepped. Every path
// steps them the same way, so the fast rows and the reference walk give the same pixels.
struct RowStart {
    uint32_t r, g, b, z, dr, dg, db, dz;  // modular fixed point
    double u, v, w, du, dv, dw;
};

// std::llround, inline: rounded half away from zero. Values this large are whole numbers, so
// the truncated part is exact.
int64_t RoundedHalfAway(double value) {
    const auto whole = int64_t(value);
    const double fraction = value - double(whole);
    return whole + int64_t(fraction >= 0.5) - int64_t(fraction <= -0.5);
}

uint32_t Modular(double value, double scale) {
    return uint32_t(RoundedHalfAway(std::clamp(value * scale, -0x1p62, 0x1p62)));
}

// The steps along a row, the same for every row of a triangle.
RowStart StepsOf(const Planes& p) {
    return {0,
            0,
            0,
            0,
            Modular(p.r.dx, kColourOne),
            Modular(p.g.dx, kColourOne),
            Modular(p.b.dx, kColourOne),
            Modular(p.z.dx, kDepthScale),
            0,
            0,
            0,
            p.u.dx,
            p.v.dx,
            p.w.dx};
}

// Only what the triangle's path reads is worked out; the rest stays 0.
RowStart RowAt(const Planes& p, const RowStart& steps, Kind kind, int64_t py) {
    const double x = 0.5, y = double(py) + 0.5;
    RowStart row = steps;
    row.r = Modular(p.r.At(x, y), kColourOne);
    row.z = Modular(p.z.At(x, y), kDepthScale);
    if (!kind.ramp) {
        row.g = Modular(p.g.At(x, y), kColourOne);
        row.b = Modular(p.b.At(x, y), kColourOne);
    }
    if (kind.textured) {
        row.u = p.u.At(x, y);
        row.v = p.v.At(x, y);
    }
    if (kind.perspective) row.w = p.w.At(x, y);
    return row;
}

inline Sample SampleOf(const RowStart& row, int64_t px, bool perspective) {
    const auto i = uint32_t(px);
    const double step = double(px);
    const double u = row.u + step * row.du, v = row.v + step * row.dv;
    Sample s{int32_t(row.r + i * row.dr),
             int32_t(row.g + i * row.dg),
             int32_t(row.b + i * row.db),
             int32_t(row.z + i * row.dz),
             float(u),
             float(v)};
    if (perspective) {
        const double over = 1.0 / (row.w + step * row.dw);
        s.u = float(u * over);
        s.v = float(v * over);
    }
    return s;
}

// A ramp's scale on the three channels of a colour, packed: red and blue share one multiply,
// as each product stays below 2^16.
template <typename Packer>
inline uint32_t RampPixel(uint32_t colour, uint32_t scale, const Packing& p) {
    const uint32_t redBlue = (colour & 0xFF00FF) * (scale + 1);
    const uint32_t green = (colour >> 8 & 0xFF) * (scale + 1);
    return Packer::Pack(redBlue >> 24, green >> 8, redBlue >> 8 & 0xFF, p);
}

// Textures and ramps a pixel at a time, in the target's pixel size, with the path fixed at
// compile time (and the packing, for ramps); hidden pixels are turned away before anything
// else is computed.
template <typename Pixel, typename Packer, bool kRamp, bool kTextured, bool kPerspective>
void SteppedRowOf(const PixelContext& c, const RowStart& row, int64_t py, int64_t left,
                  int64_t right) {
    constexpr Kind kKind{kRamp, kTextured, kPerspective};
    const State& state = c.state;
    // Copies, so that the stores below cannot make the compiler read them again.
    const Texture tex = kTextured ? *state.texture : Texture{};
    const Packing packing = c.packing;
    const uint32_t rampBase = state.rampBase;
    auto* out = reinterpret_cast<Pixel*>(c.t.colour.Row(int32_t(py)));
    uint16_t* depth = c.t.depth != nullptr ? DepthAt(c.t, 0, py) : nullptr;
    const bool test = state.depthTest && depth != nullptr;
    const bool write = state.depthWrite && depth != nullptr;
    for (int64_t px = left; px < right; ++px) {
        const int32_t depthHere = DepthOf(state, row.z + uint32_t(px) * row.dz);
        if (test && depthHere > depth[px]) continue;
        const Sample s = SampleOf(row, px, kPerspective);
        uint32_t base = rampBase;
        if (kTextured && !TexelAt(tex, s, &base)) continue;
        if constexpr (kRamp)
            out[px] = Pixel(RampPixel<Packer>(base, uint32_t(c.ramp.scale[Channel(s.r)]), packing));
        else
            out[px] = Pixel(Pack(packing, ShadeColour(kKind, c.ramp.scale, base, s)));
        if (write) depth[px] = uint16_t(depthHere);
    }
}

using RowFunction = void (*)(const PixelContext&, const RowStart&, int64_t, int64_t, int64_t);

template <typename Pixel, typename Packer>
RowFunction RowFor(Kind kind) {
    using Any = AnyPacking<sizeof(Pixel)>;
    static constexpr RowFunction kRows[8] = {SteppedRowOf<Pixel, Any, false, false, false>,
                                             SteppedRowOf<Pixel, Any, false, false, true>,
                                             SteppedRowOf<Pixel, Any, false, true, false>,
                                             SteppedRowOf<Pixel, Any, false, true, true>,
                                             SteppedRowOf<Pixel, Packer, true, false, false>,
                                             SteppedRowOf<Pixel, Packer, true, false, true>,
                                             SteppedRowOf<Pixel, Packer, true, true, false>,
                                             SteppedRowOf<Pixel, Packer, true, true, true>};
    return kRows[size_t(kind.ramp) * 4 + size_t(kind.textured) * 2 + size_t(kind.perspective)];
}

// Ramps pack with fixed shifts in the common formats.
RowFunction RowFor(const PixelContext& c) {
    const bool narrow = c.t.colour.format.bitsPerPixel == 16;
    return WithPacker(narrow ? 2 : 4, c.packing, [&](auto packer) {
        using Packer = decltype(packer);
        return RowFor<std::conditional_t<Packer::bytes == 2, uint16_t, uint32_t>, Packer>(c.kind);
    });
}

void SteppedRow(const PixelContext& context, RowFunction drawRow, const Planes& planes,
                const RowStart& steps, int64_t py, int64_t left, int64_t right) {
    const RowStart row = RowAt(planes, steps, context.kind, py);
    if (context.t.depth != nullptr && context.state.depthTest &&
        !AnyDepthPasses(DepthAt(context.t, left, py), int32_t(right - left),
                        row.z + uint32_t(left) * row.dz, row.dz, context.state.depthBias))
        return;
    drawRow(context, row, py, left, right);
}

// Ramp-textured rows through the vectorised blocks, which test depth first themselves. What
// every row shares is set up once per triangle.
struct BlockRows {
    RampTexturedRow span;
    RampTexturedBlocks draw;
};

BlockRows BlockRowsOf(const PixelContext& c, const RowStart& steps) {
    const State& state = c.state;
    const bool perspective = c.kind.perspective;
    const uint32_t bytes = pixels::BytesPerPixel(c.t.colour.format);
    return {{0, steps.dr, 0, steps.dz, 0, 0, 0, steps.du, steps.dv, steps.dw, perspective,
             state.texture, &c.ramp, c.packing, state.depthBias, state.depthTest, state.depthWrite,
             std::min(c.t.colour.width, c.t.depthPitch)},
            RampTexturedBlocksFor(bytes, c.packing, perspective)};
}

void BlockRow(const PixelContext& c, const Planes& planes, const RowStart& steps, BlockRows* rows,
              int64_t py, int64_t left, int64_t right) {
    const RowStart row = RowAt(planes, steps, c.kind, py);
    RampTexturedRow& span = rows->span;
    span.r = row.r;
    span.z = row.z;
    span.u = row.u;
    span.v = row.v;
    span.w = row.w;
    rows->draw(c.t.colour.Row(int32_t(py)), DepthAt(c.t, 0, py), left, right, span);
}

// Plain Gouraud with depth; a depth bias (shadows) takes the pixel-at-a-time path.
bool UsesFastSpan(const State& state) {
    return state.texture == nullptr && state.shades == 0 && state.depthBias == 0;
}

void FastRow(const PixelContext& context, const Planes& planes, const RowStart& steps, int64_t py,
             int64_t left, int64_t right) {
    const Target& t = context.t;
    const State& state = context.state;
    const Packing& packing = context.packing;
    const RowStart row = RowAt(planes, steps, context.kind, py);
    const auto at = uint32_t(left);
    const GouraudSpan span{row.r + at * row.dr,
                           row.g + at * row.dg,
                           row.b + at * row.db,
                           row.z + at * row.dz,
                           row.dr,
                           row.dg,
                           row.db,
                           row.dz};
    const uint32_t bytes = pixels::BytesPerPixel(t.colour.format);
    const bool hasDepth = t.depth != nullptr;
    FillGouraudSpan(t.colour.Row(int32_t(py)) + left * bytes, bytes,
                    hasDepth ? DepthAt(t, left, py) : nullptr, int32_t(right - left), span, packing,
                    state.depthTest && hasDepth, state.depthWrite && hasDepth);
}

}  // namespace

bool Drawable(const Vertex& v) {
    constexpr float kLimit = 0x1p24f;
    const float values[] = {v.z, v.invW, v.r, v.g, v.b, v.u, v.v};
    return std::abs(v.x) <= kLimit && std::abs(v.y) <= kLimit &&
           std::all_of(std::begin(values), std::end(values),
                       [](float value) { return std::isfinite(value); });
}

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
    const RowStart steps = StepsOf(planes);
    const RowFunction drawRow = RowFor(context);
    BlockRows blockRows = context.blocks ? BlockRowsOf(context, steps) : BlockRows{};
    EdgeWalk walks[3];
    for (int i = 0; i < 3; ++i)
        walks[i] = StartEdge(s.edges[i], rows.top);
    for (int64_t py = rows.top; py < rows.bottom; ++py) {
        int64_t left, right;
        SpanOf(walks, t, &left, &right);
        for (EdgeWalk& w : walks)
            NextRow(&w);
        if (left >= right) continue;
        if (UsesFastSpan(state))
            FastRow(context, planes, steps, py, left, right);
        else if (context.blocks)
            BlockRow(context, planes, steps, &blockRows, py, left, right);
        else
            SteppedRow(context, drawRow, planes, steps, py, left, right);
    }
    return true;
}

bool DrawTriangleReference(const Target& t, const State& state, const Vertex& a, const Vertex& b,
                           const Vertex& c) {
    Setup s;
    if (!Prepare(state, a, b, c, &s)) return false;
    const Planes planes = MakePlanes(s, state);
    const PixelContext context(t, state);
    for (int64_t py = t.clipTop; py < t.clipBottom; ++py) {
        const RowStart row = RowAt(planes, StepsOf(planes), KindOf(state), py);
        const bool perspective = KindOf(state).perspective;
        for (int64_t px = t.clipLeft; px < t.clipRight; ++px) {
            bool inside = true;
            for (const Edge& e : s.edges)
                inside = inside && Covers(e, px, py);
            if (inside) ShadePixel(context, px, py, SampleOf(row, px, perspective));
        }
    }
    return true;
}

void DrawLine(const Target& t, const State& state, const Vertex& a, const Vertex& b) {
    if (!Drawable(a) || !Drawable(b)) return;
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

}  // namespace rm::raster
