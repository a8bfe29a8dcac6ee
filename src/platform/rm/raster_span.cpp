// The hot loop of Gouraud shading with depth. Written so that the compiler vectorises it; built
// for AVX2 and for the x86-64 baseline, chosen at run time. Integer arithmetic only, so every
// build gives the same pixels.
#include <algorithm>

#include "platform/rm/raster.h"

namespace rm::raster {
namespace {

constexpr int32_t kColourMax = 255 << 16;
constexpr int32_t kDepthMax = 65535 << 12;

inline int32_t Step(int32_t start, int32_t delta, int32_t i) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) +
                                static_cast<uint32_t>(i) * static_cast<uint32_t>(delta));
}

template <typename Pixel, bool kTest, bool kWrite>
inline __attribute__((always_inline)) void Span(Pixel* __restrict out, uint16_t* __restrict depth,
                                                int32_t count, const GouraudSpan& s,
                                                const Packing& p) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t z = std::clamp(Step(s.z, s.dz, i), 0, kDepthMax) >> 12;
        const uint32_t r =
            static_cast<uint32_t>(std::clamp(Step(s.r, s.dr, i), 0, kColourMax) >> 16);
        const uint32_t g =
            static_cast<uint32_t>(std::clamp(Step(s.g, s.dg, i), 0, kColourMax) >> 16);
        const uint32_t b =
            static_cast<uint32_t>(std::clamp(Step(s.b, s.db, i), 0, kColourMax) >> 16);
        const Pixel pixel = static_cast<Pixel>(
            (r >> p.rLoss << p.rShift) | (g >> p.gLoss << p.gShift) | (b >> p.bLoss << p.bShift));
        const bool pass = !kTest || z <= depth[i];
        out[i] = pass ? pixel : out[i];
        if (kWrite) depth[i] = pass ? static_cast<uint16_t>(z) : depth[i];
    }
}

template <typename Pixel>
inline __attribute__((always_inline)) void SpanFor(Pixel* out, uint16_t* depth, int32_t count,
                                                   const GouraudSpan& s, const Packing& p,
                                                   bool test, bool write) {
    if (test && write) Span<Pixel, true, true>(out, depth, count, s, p);
    if (test && !write) Span<Pixel, true, false>(out, depth, count, s, p);
    if (!test && write) Span<Pixel, false, true>(out, depth, count, s, p);
    if (!test && !write) Span<Pixel, false, false>(out, depth, count, s, p);
}

__attribute__((target_clones("avx2", "default"))) void Span16(uint16_t* out, uint16_t* depth,
                                                              int32_t count, const GouraudSpan& s,
                                                              const Packing& p, bool test,
                                                              bool write) {
    SpanFor(out, depth, count, s, p, test, write);
}

__attribute__((target_clones("avx2", "default"))) void Span32(uint32_t* out, uint16_t* depth,
                                                              int32_t count, const GouraudSpan& s,
                                                              const Packing& p, bool test,
                                                              bool write) {
    SpanFor(out, depth, count, s, p, test, write);
}

}  // namespace

void FillGouraudSpan(uint8_t* pixels, uint32_t bytesPerPixel, uint16_t* depth, int32_t count,
                     const GouraudSpan& span, const Packing& packing, bool depthTest,
                     bool depthWrite) {
    if (bytesPerPixel == 2)
        Span16(reinterpret_cast<uint16_t*>(pixels), depth, count, span, packing, depthTest,
               depthWrite);
    else
        Span32(reinterpret_cast<uint32_t*>(pixels), depth, count, span, packing, depthTest,
               depthWrite);
}

}  // namespace rm::raster
