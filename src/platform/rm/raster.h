#pragma once
// Our software rasterizer: screen-space triangles and lines into a colour view with a 16-bit
// depth buffer. Coverage is exact on a 1/16-pixel grid with the top-left rule at pixel centres;
// attributes are fixed-point, so the same triangles give the same pixels on every machine.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/pixels/pixels.h"

namespace rm::raster {

struct Vertex {
    float x, y;     // pixels; (0, 0) is the top-left corner of the top-left pixel
    float z;        // depth, 0 at the front plane and 1 at the back plane
    float invW;     // 1 / camera depth, for perspective-correct texturing
    float r, g, b;  // 0..255; in ramp mode r is the intensity 0..255
    float u, v;     // texture coordinates, 1 spans the texture once
};

struct Texture {
    const uint32_t* texels;  // 0x00RRGGBB, rows top down
    int32_t width, height;
    bool decal;    // texels equal to key are not drawn
    uint32_t key;  // 0x00RRGGBB
};

struct State {
    bool cull = true;  // counter-clockwise (back) faces are dropped; otherwise both drawn
    bool depthTest = true;
    bool depthWrite = true;
    int32_t depthBias = 0;  // subtracted from the 16-bit depth: positive draws nearer
    const Texture* texture = nullptr;
    bool perspective = false;
    // Ramp colour model: with shades above 0 the intensity is cut to that many levels
    // (0 to shades - 1) and scales rampBase (0x00RRGGBB), or the texel when textured.
    uint32_t shades = 0;
    uint32_t rampBase = 0xFFFFFF;
};

struct Target {
    pixels::View colour;
    uint16_t* depth;
    int32_t depthPitch;                                // in depth values
    int32_t clipLeft, clipTop, clipRight, clipBottom;  // right and bottom exclusive
};

// Screen positions the fixed-point set-up holds exactly: finite and within 2^24 pixels of the
// origin. Nothing else is drawn.
bool Drawable(const Vertex& v);

// True when the triangle was front-facing (or culling is off) and not degenerate.
bool DrawTriangle(const Target& target, const State& state, const Vertex& a, const Vertex& b,
                  const Vertex& c);
// The same pixels by a plain per-pixel walk of the bounding box, for tests.
bool DrawTriangleReference(const Target& target, const State& state, const Vertex& a,
                           const Vertex& b, const Vertex& c);
// A line in a's colour, depth-tested, end point included.
void DrawLine(const Target& target, const State& state, const Vertex& a, const Vertex& b);
// Fills the clip rectangle with a packed pixel and the farthest depth (in the vectorised file).
void Clear(const Target& target, uint32_t pixel);

// The farthest stored depth of each 16 by 16 tile of a target: an upper bound between
// refreshes (the depth test only ever brings stored depths nearer), so that a triangle wholly
// behind what is drawn is dropped without visiting its pixels.
class DepthTiles {
  public:
    explicit DepthTiles(const Target& target);
    // True when every pixel the polygon could cover would fail the depth test.
    bool Hides(const Vertex* corners, size_t count, int32_t depthBias) const;
    // Reads the stored depths again under the pixels a polygon could cover.
    void Refresh(const Vertex* corners, size_t count);

  private:
    struct Tiles {
        int32_t left, top, right, bottom;  // inclusive, in tiles
    };
    bool TilesUnder(const Vertex* corners, size_t count, Tiles* tiles) const;

    Target target_;
    int32_t columns_, rows_;
    std::vector<uint16_t> farthest_;
};

// The vectorised span of Gouraud colour with depth (in its own file, built for wider units).
struct GouraudSpan {
    uint32_t r, g, b, z;      // at the first pixel: colour 16.16, depth 16.12, modular
    uint32_t dr, dg, db, dz;  // per pixel
};
struct Packing {
    int32_t rShift, gShift, bShift;  // where each 8-bit channel's kept bits go
    int32_t rLoss, gLoss, bLoss;     // low bits dropped from each 8-bit channel
    friend bool operator==(const Packing&, const Packing&) = default;
};
Packing PackingOf(const pixels::Format& format);
// Where the kept bits of each 8-bit channel go, in pixels of kBytes bytes.
template <int kRLoss, int kRShift, int kGLoss, int kGShift, int kBLoss, int kBShift, int kBytes>
struct FixedPacking {
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, const Packing&) {
        return (r >> kRLoss << kRShift) | (g >> kGLoss << kGShift) | (b >> kBLoss << kBShift);
    }
    static constexpr int rLoss = kRLoss, rShift = kRShift, gLoss = kGLoss, gShift = kGShift,
                         bLoss = kBLoss, bShift = kBShift;
    static constexpr uint32_t bytes = kBytes;
};
constexpr Packing kPacking565{11, 5, 0, 3, 2, 3}, kPacking555{10, 5, 0, 3, 3, 3},
    kPacking888{16, 8, 0, 0, 0, 0};
using Pack565 = FixedPacking<3, 11, 2, 5, 3, 0, 2>;
using Pack555 = FixedPacking<3, 10, 3, 5, 3, 0, 2>;
using Pack888 = FixedPacking<0, 16, 0, 8, 0, 0, 4>;
// Packing read at run time, for pixels of kBytes bytes.
template <int kBytes>
struct AnyPacking {
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, const Packing& p) {
        return (r >> p.rLoss << p.rShift) | (g >> p.gLoss << p.gShift) | (b >> p.bLoss << p.bShift);
    }
    static constexpr uint32_t bytes = kBytes;
};
// Calls choose with the packer for pixels of the given size: fixed shifts where the packing is
// 5-6-5, 5-5-5 or 8-8-8, else the packing read at run time.
template <typename Choose>
auto WithPacker(uint32_t bytesPerPixel, const Packing& p, Choose choose) {
    if (bytesPerPixel != 2) return p == kPacking888 ? choose(Pack888{}) : choose(AnyPacking<4>{});
    if (p == kPacking565) return choose(Pack565{});
    if (p == kPacking555) return choose(Pack555{});
    return choose(AnyPacking<2>{});
}

void FillGouraudSpan(uint8_t* pixels, uint32_t bytesPerPixel, uint16_t* depth, int32_t count,
                     const GouraudSpan& span, const Packing& packing, bool depthTest,
                     bool depthWrite);
// The ramp of one shade count: intensity 0..255 to one of `shades` levels, as a scale 0..255.
struct Ramp {
    uint32_t shades = ~0u;  // none yet
    int32_t scale[256];
    // With 2 to 16 shades, the scale of each level as bytes, looked up in a register by the
    // vector path; the level of intensity c is (c·(shades - 1) + 127) / 255.
    bool fewLevels = false;
    alignas(16) uint8_t levelScale[16];
};
// A row of ramp-shaded texels with depth: each value at column 0, stepped by the column, the
// same arithmetic as the pixel-at-a-time path (perspective divides u and v by w per pixel).
struct RampTexturedRow {
    uint32_t r, dr, z, dz;  // intensity 16.16, depth 16.12, modular
    double u, v, w, du, dv, dw;
    bool perspective;
    const Texture* texture;  // sides powers of two
    const Ramp* ramp;
    Packing packing;
    int32_t depthBias;
    bool depthTest, depthWrite;
    int64_t columns;  // pixels of the row's colour and depth that may be read and written back
};
// Draws [left, right) of a row in blocks of eight pixels with wider vector units: only where
// RampTexturedVectorised says the machine and the texture allow it, and with a depth buffer.
bool RampTexturedVectorised(const Texture& texture);
using RampTexturedBlocks = void (*)(uint8_t* row, uint16_t* depth, int64_t left, int64_t right,
                                    const RampTexturedRow& span);
// Chosen once per triangle, for the target's pixel size and packing and the span's perspective.
RampTexturedBlocks RampTexturedBlocksFor(uint32_t bytesPerPixel, const Packing& packing,
                                         bool perspective);
// The farthest of a rectangle of depths.
uint16_t FarthestIn(const uint16_t* depth, int32_t pitch, int32_t width, int32_t height);
// Whether any pixel of a span passes the depth test: depth z + i·dz (16.12, modular, clamped
// to the 16-bit range) less bias against the stored depth.
bool AnyDepthPasses(const uint16_t* depth, int32_t count, uint32_t z, uint32_t dz, int32_t bias);

}  // namespace rm::raster
