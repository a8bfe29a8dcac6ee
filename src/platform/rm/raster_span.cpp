// The hot loop of Gouraud shading with depth. Written so that the compiler vectorises it; built
// for AVX2 and for the x86-64 baseline, chosen at run time. Integer arithmetic only, so every
// build gives the same pixels.
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "platform/pixels/vector_units.h"
#include "platform/rm/raster.h"

// Regions of AVX2 code, chosen at run time by the processor's features; both compilers get
// the target for every function in the region, lambdas included.
#if defined(__clang__)
#define KR_AVX2_BEGIN \
    _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define KR_AVX2_END _Pragma("clang attribute pop")
#else
#define KR_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define KR_AVX2_END _Pragma("GCC pop_options")
#endif
// The small steps of a block: a call would pass its vectors through memory.
#define KR_INLINE inline __attribute__((always_inline))

namespace rm::raster {
namespace {

constexpr int32_t kColourMax = 255 << 16;
constexpr int32_t kDepthMax = 65535 << 12;

// A modular fixed-point value read as signed and held to [0, max], as every path reads it.
inline __attribute__((always_inline)) uint32_t Held(uint32_t value, int32_t max) {
    return uint32_t(std::clamp(int32_t(value), 0, max));
}

template <typename Pixel, typename Packer, bool kTest, bool kWrite>
inline __attribute__((always_inline)) void Span(Pixel* __restrict out, uint16_t* __restrict depth,
                                                int32_t count, const GouraudSpan& s,
                                                const Packing& p) {
    // Modular steps: the same bits whatever the vector width.
    uint32_t r = s.r, g = s.g, b = s.b, z = s.z;
    for (int32_t i = 0; i < count; ++i) {
        const auto depthHere = static_cast<uint16_t>(Held(z, kDepthMax) >> 12);
        const Pixel pixel = static_cast<Pixel>(Packer::Pack(
            Held(r, kColourMax) >> 16, Held(g, kColourMax) >> 16, Held(b, kColourMax) >> 16, p));
        const uint16_t stored = depth[i];
        const bool pass = !kTest || std::min(depthHere, stored) == depthHere;
        out[i] = pass ? pixel : out[i];
        if (kWrite) depth[i] = pass ? depthHere : stored;
        r += s.dr;
        g += s.dg;
        b += s.db;
        z += s.dz;
    }
}

template <typename Pixel, typename Packer>
inline __attribute__((always_inline)) void SpanFor(Pixel* out, uint16_t* depth, int32_t count,
                                                   const GouraudSpan& s, const Packing& p,
                                                   bool test, bool write) {
    if (test && write) Span<Pixel, Packer, true, true>(out, depth, count, s, p);
    if (test && !write) Span<Pixel, Packer, true, false>(out, depth, count, s, p);
    if (!test && write) Span<Pixel, Packer, false, true>(out, depth, count, s, p);
    if (!test && !write) Span<Pixel, Packer, false, false>(out, depth, count, s, p);
}

KR_AVX2_BEGIN

__m256i HeldAvx2(__m256i value, int32_t max) {
    return _mm256_min_epi32(_mm256_max_epi32(value, _mm256_setzero_si256()),
                            _mm256_set1_epi32(max));
}

// Channels still 16.16 fixed point.
__m256i Place(__m256i channel, int loss, int shift) {
    return _mm256_slli_epi32(_mm256_srli_epi32(HeldAvx2(channel, kColourMax), 16 + loss), shift);
}

template <typename Packer>
__m256i PackAvx2(__m256i r, __m256i g, __m256i b) {
    return _mm256_or_si256(_mm256_or_si256(Place(r, Packer::rLoss, Packer::rShift),
                                           Place(g, Packer::gLoss, Packer::gShift)),
                           Place(b, Packer::bLoss, Packer::bShift));
}

// Eight lanes of a span starting at value: value, value + step, ...
__m256i FirstEight(uint32_t value, uint32_t step) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return _mm256_add_epi32(_mm256_set1_epi32(int32_t(value)),
                            _mm256_mullo_epi32(lanes, _mm256_set1_epi32(int32_t(step))));
}

__m256i EightSteps(uint32_t step) {
    return _mm256_set1_epi32(int32_t(step * 8u));
}

// Sixteen 16-bit pixels a step, by hand: the compiler's own vectorising of the 16-bit case is
// poor. Same arithmetic as Span, so the same pixels.
template <typename Packer, bool kTest, bool kWrite>
void Span16Avx2(uint16_t* out, uint16_t* depth, int32_t count, const GouraudSpan& s,
                const Packing& p) {
    __m256i r = FirstEight(s.r, s.dr), g = FirstEight(s.g, s.dg), b = FirstEight(s.b, s.db),
            z = FirstEight(s.z, s.dz);
    const __m256i dr = EightSteps(s.dr), dg = EightSteps(s.dg), db = EightSteps(s.db),
                  dz = EightSteps(s.dz);
    auto pack = [&](__m256i* pixel, __m256i* depthHere) {
        *pixel = PackAvx2<Packer>(r, g, b);
        *depthHere = _mm256_srli_epi32(HeldAvx2(z, kDepthMax), 12);
        r = _mm256_add_epi32(r, dr);
        g = _mm256_add_epi32(g, dg);
        b = _mm256_add_epi32(b, db);
        z = _mm256_add_epi32(z, dz);
    };
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i pixelLow, pixelHigh, depthLow, depthHigh;
        pack(&pixelLow, &depthLow);
        pack(&pixelHigh, &depthHigh);
        const __m256i pixel =
            _mm256_permute4x64_epi64(_mm256_packus_epi32(pixelLow, pixelHigh), 0xD8);
        const __m256i depthHere =
            _mm256_permute4x64_epi64(_mm256_packus_epi32(depthLow, depthHigh), 0xD8);
        auto* depthAt = reinterpret_cast<__m256i*>(depth + i);
        auto* outAt = reinterpret_cast<__m256i*>(out + i);
        const __m256i stored = kTest || kWrite ? _mm256_loadu_si256(depthAt) : depthHere;
        const __m256i pass =
            kTest ? _mm256_cmpeq_epi16(_mm256_min_epu16(depthHere, stored), depthHere)
                  : _mm256_set1_epi32(-1);
        _mm256_storeu_si256(outAt, _mm256_blendv_epi8(_mm256_loadu_si256(outAt), pixel, pass));
        if (kWrite) _mm256_storeu_si256(depthAt, _mm256_blendv_epi8(stored, depthHere, pass));
    }
    const GouraudSpan rest{uint32_t(_mm256_cvtsi256_si32(r)),
                           uint32_t(_mm256_cvtsi256_si32(g)),
                           uint32_t(_mm256_cvtsi256_si32(b)),
                           uint32_t(_mm256_cvtsi256_si32(z)),
                           s.dr,
                           s.dg,
                           s.db,
                           s.dz};
    Span<uint16_t, Packer, kTest, kWrite>(out + i, depth + i, count - i, rest, p);
}

template <typename Packer>
void Span16Avx2For(uint16_t* out, uint16_t* depth, int32_t count, const GouraudSpan& s,
                   const Packing& p, bool test, bool write) {
    if (test && write) Span16Avx2<Packer, true, true>(out, depth, count, s, p);
    if (test && !write) Span16Avx2<Packer, true, false>(out, depth, count, s, p);
    if (!test && write) Span16Avx2<Packer, false, true>(out, depth, count, s, p);
    if (!test && !write) Span16Avx2<Packer, false, false>(out, depth, count, s, p);
}

KR_AVX2_END

void Span16(uint16_t* out, uint16_t* depth, int32_t count, const GouraudSpan& s, const Packing& p,
            bool test, bool write) {
    const bool avx2 = pixels::WideVectors();
    const bool is565 = p == kPacking565, is555 = p == kPacking555;
    if (avx2 && is565) return Span16Avx2For<Pack565>(out, depth, count, s, p, test, write);
    if (avx2 && is555) return Span16Avx2For<Pack555>(out, depth, count, s, p, test, write);
    if (is565) return SpanFor<uint16_t, Pack565>(out, depth, count, s, p, test, write);
    if (is555) return SpanFor<uint16_t, Pack555>(out, depth, count, s, p, test, write);
    SpanFor<uint16_t, AnyPacking<2>>(out, depth, count, s, p, test, write);
}

inline __attribute__((always_inline)) void Span32Of(uint32_t* out, uint16_t* depth, int32_t count,
                                                    const GouraudSpan& s, const Packing& p,
                                                    bool test, bool write) {
    if (p == kPacking888)
        SpanFor<uint32_t, Pack888>(out, depth, count, s, p, test, write);
    else
        SpanFor<uint32_t, AnyPacking<4>>(out, depth, count, s, p, test, write);
}

// The same loop built twice: for the baseline and, vectorised wider, for AVX2.
void Span32Generic(uint32_t* out, uint16_t* depth, int32_t count, const GouraudSpan& s,
                   const Packing& p, bool test, bool write) {
    Span32Of(out, depth, count, s, p, test, write);
}
KR_AVX2_BEGIN
void Span32Avx2(uint32_t* out, uint16_t* depth, int32_t count, const GouraudSpan& s,
                const Packing& p, bool test, bool write) {
    Span32Of(out, depth, count, s, p, test, write);
}
KR_AVX2_END

KR_AVX2_BEGIN

// Texture coordinates of eight pixels to wrapped texel indices, as the pixel-at-a-time path
// does: rounded to float, scaled by the side, floored, masked. Scaling by a power of two is
// exact in float as in double, and both conversions give the same out-of-range value.
KR_INLINE __m256i WrappedEight(const __m256d coordinate[2], int32_t size) {
    const __m256 rounded =
        _mm256_setr_m128(_mm256_cvtpd_ps(coordinate[0]), _mm256_cvtpd_ps(coordinate[1]));
    const __m256 scaled = _mm256_floor_ps(_mm256_mul_ps(rounded, _mm256_set1_ps(float(size))));
    return _mm256_and_si256(_mm256_cvttps_epi32(scaled), _mm256_set1_epi32(size - 1));
}

// u or v of eight pixels at the given columns, divided by w when perspective-correct.
template <bool kPerspective>
KR_INLINE void CoordinatesOfEight(double start, double step, const RampTexturedRow& s,
                                  const __m256d columns[2], __m256d coordinates[2]) {
    for (int half = 0; half < 2; ++half) {
        // Written as start + column·step, never contracted: the scalar path rounds the same.
        const __m256d product = _mm256_mul_pd(columns[half], _mm256_set1_pd(step));
        coordinates[half] = _mm256_add_pd(_mm256_set1_pd(start), product);
        if (!kPerspective) continue;
        const __m256d w =
            _mm256_add_pd(_mm256_set1_pd(s.w), _mm256_mul_pd(columns[half], _mm256_set1_pd(s.dw)));
        coordinates[half] = _mm256_mul_pd(coordinates[half], _mm256_div_pd(_mm256_set1_pd(1.0), w));
    }
}

// The sides are powers of two: the row of a texel is a shift.
template <bool kPerspective>
KR_INLINE __m256i TexelIndices(const __m256d columns[2], const RampTexturedRow& s) {
    __m256d u[2], v[2];
    CoordinatesOfEight<kPerspective>(s.u, s.du, s, columns, u);
    CoordinatesOfEight<kPerspective>(s.v, s.dv, s, columns, v);
    const Texture& t = *s.texture;
    const __m128i rowShift = _mm_cvtsi32_si128(std::countr_zero(uint32_t(t.width)));
    return _mm256_add_epi32(_mm256_sll_epi32(WrappedEight(v, t.height), rowShift),
                            WrappedEight(u, t.width));
}

// An 8-bit channel where the target's format keeps it.
KR_INLINE __m256i Placed(__m256i channel, int32_t loss, int32_t shift) {
    return _mm256_sll_epi32(_mm256_srl_epi32(channel, _mm_cvtsi32_si128(loss)),
                            _mm_cvtsi32_si128(shift));
}

// The scaled channels packed in the target's format, straight from the 16-bit products that
// hold them in bits 8 to 15 (green) and 24 to 31 and 8 to 15 (red and blue): with fixed shifts
// each channel's shifts are folded into one.
template <typename Packer>
KR_INLINE __m256i PackedProducts(__m256i redBlue, __m256i green, const Packing& p) {
    if constexpr (std::is_same_v<Packer, AnyPacking<Packer::bytes>>) {
        const __m256i byte = _mm256_set1_epi32(0xFF);
        return _mm256_or_si256(
            _mm256_or_si256(Placed(_mm256_srli_epi32(redBlue, 24), p.rLoss, p.rShift),
                            Placed(_mm256_srli_epi32(green, 8), p.gLoss, p.gShift)),
            Placed(_mm256_and_si256(_mm256_srli_epi32(redBlue, 8), byte), p.bLoss, p.bShift));
    } else {
        const __m256i red =
            _mm256_slli_epi32(_mm256_srli_epi32(redBlue, 24 + Packer::rLoss), Packer::rShift);
        const __m256i greenPlaced =
            _mm256_slli_epi32(_mm256_srli_epi32(green, 8 + Packer::gLoss), Packer::gShift);
        const __m256i blue = _mm256_and_si256(_mm256_srli_epi32(redBlue, 8 + Packer::bLoss),
                                              _mm256_set1_epi32(0xFF >> Packer::bLoss));
        return _mm256_or_si256(_mm256_or_si256(red, greenPlaced),
                               _mm256_slli_epi32(blue, Packer::bShift));
    }
}

// The ramp as the blocks read it, loaded once per row: the row's stores could otherwise make
// the compiler read it again for every block.
struct RampLookup {
    const int32_t* scale;
    bool fewLevels;
    __m256i top, levelScale;  // when fewLevels
};

KR_INLINE RampLookup LookupOf(const Ramp& ramp) {
    return {ramp.scale, ramp.fewLevels, _mm256_set1_epi32(int32_t(ramp.shades - 1)),
            _mm256_broadcastsi128_si256(
                _mm_load_si128(reinterpret_cast<const __m128i*>(ramp.levelScale)))};
}

// The ramp's scale of eight intensities 0..255. With few levels the level is worked out as
// (c·top + 128)·257 >> 16, which equals (c·top + 127) / 255 while c·top + 127 < 65535, and its
// scale is picked from a register; the upper bytes of a lane pick level 0, whose scale is 0.
KR_INLINE __m256i RampScaleOfEight(__m256i intensity, const RampLookup& ramp) {
    if (!ramp.fewLevels) return _mm256_i32gather_epi32(ramp.scale, intensity, 4);
    const __m256i scaled =
        _mm256_add_epi32(_mm256_mullo_epi16(intensity, ramp.top), _mm256_set1_epi32(128));
    const __m256i level = _mm256_mulhi_epu16(scaled, _mm256_set1_epi32(257));
    return _mm256_shuffle_epi8(ramp.levelScale, level);
}

// Eight texels scaled by the ramp and packed in the target's format. Channel times scale + 1
// stays below 2^16, so red and blue share one 16-bit multiply and green takes another.
template <typename Packer>
KR_INLINE __m256i RampPixels(__m256i texels, __m256i intensity, const RampLookup& ramp,
                             const RampTexturedRow& s) {
    const __m256i level =
        _mm256_srli_epi32(_mm256_min_epi32(_mm256_max_epi32(intensity, _mm256_setzero_si256()),
                                           _mm256_set1_epi32(255 << 16)),
                          16);
    const __m256i plusOne = _mm256_add_epi32(RampScaleOfEight(level, ramp), _mm256_set1_epi32(1));
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i redBlue =
        _mm256_mullo_epi16(_mm256_and_si256(texels, _mm256_set1_epi32(0xFF00FF)),
                           _mm256_or_si256(plusOne, _mm256_slli_epi32(plusOne, 16)));
    const __m256i green =
        _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(texels, 8), byte), plusOne);
    return PackedProducts<Packer>(redBlue, green, s.packing);
}

// Eight 32-bit lanes to eight 16-bit ones: values saturated unsigned, masks signed.
KR_INLINE __m128i NarrowValues(__m256i lanes) {
    return _mm256_castsi256_si128(
        _mm256_permute4x64_epi64(_mm256_packus_epi32(lanes, lanes), 0xD8));
}
KR_INLINE __m128i NarrowMask(__m256i lanes) {
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packs_epi32(lanes, lanes), 0xD8));
}

// Depth of eight pixels, clamped and biased.
KR_INLINE __m256i DepthOfEight(__m256i z, const RampTexturedRow& s) {
    const __m256i held =
        _mm256_min_epi32(_mm256_max_epi32(z, _mm256_setzero_si256()), _mm256_set1_epi32(kDepthMax));
    return _mm256_max_epi32(
        _mm256_sub_epi32(_mm256_srli_epi32(held, 12), _mm256_set1_epi32(s.depthBias)),
        _mm256_setzero_si256());
}

KR_INLINE void StoreEight(uint8_t* at, uint32_t bytesPerPixel, __m256i pixels, __m256i draw) {
    if (bytesPerPixel == 4) {
        auto* wide = reinterpret_cast<__m256i*>(at);
        _mm256_storeu_si256(wide, _mm256_blendv_epi8(_mm256_loadu_si256(wide), pixels, draw));
        return;
    }
    auto* narrow = reinterpret_cast<__m128i*>(at);
    _mm_storeu_si128(
        narrow, _mm_blendv_epi8(_mm_loadu_si128(narrow), NarrowValues(pixels), NarrowMask(draw)));
}

// Eight columns of a row: intensity and depth stepped modularly, the columns as exact doubles,
// so that every block computes what the pixel-at-a-time path computes.
struct EightColumns {
    __m256i r, z;
    __m256d columns[2];
};

KR_INLINE EightColumns FirstColumns(int64_t px, const RampTexturedRow& s) {
    const __m128i base = _mm_set1_epi32(int32_t(px));
    return {FirstEight(s.r + uint32_t(px) * s.dr, s.dr),
            FirstEight(s.z + uint32_t(px) * s.dz, s.dz),
            {_mm256_cvtepi32_pd(_mm_add_epi32(base, _mm_setr_epi32(0, 1, 2, 3))),
             _mm256_cvtepi32_pd(_mm_add_epi32(base, _mm_setr_epi32(4, 5, 6, 7)))}};
}

KR_INLINE void NextColumns(EightColumns* c, const RampTexturedRow& s) {
    c->r = _mm256_add_epi32(c->r, EightSteps(s.dr));
    c->z = _mm256_add_epi32(c->z, EightSteps(s.dz));
    for (__m256d& half : c->columns)
        half = _mm256_add_pd(half, _mm256_set1_pd(8));
}

// One block; lanes outside `lanes` are left alone.
template <typename Packer, bool kPerspective>
KR_INLINE void RampTexturedEight(uint8_t* colour, uint32_t bytesPerPixel, uint16_t* depth,
                                 const EightColumns& c, __m256i lanes, const RampLookup& ramp,
                                 const RampTexturedRow& s) {
    auto* depthAt = reinterpret_cast<__m128i*>(depth);
    const __m128i stored16 = _mm_loadu_si128(depthAt);
    const __m256i here = DepthOfEight(c.z, s);
    const __m256i stored = _mm256_cvtepu16_epi32(stored16);
    __m256i draw =
        s.depthTest
            ? _mm256_and_si256(
                  lanes, _mm256_cmpgt_epi32(_mm256_add_epi32(stored, _mm256_set1_epi32(1)), here))
            : lanes;
    if (_mm256_testz_si256(draw, draw)) return;
    const Texture& t = *s.texture;
    const __m256i texels =
        _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(t.texels),
                                    TexelIndices<kPerspective>(c.columns, s), draw, 4);
    if (t.decal)
        draw = _mm256_andnot_si256(_mm256_cmpeq_epi32(texels, _mm256_set1_epi32(int32_t(t.key))),
                                   draw);
    StoreEight(colour, bytesPerPixel, RampPixels<Packer>(texels, c.r, ramp, s), draw);
    if (s.depthWrite)
        _mm_storeu_si128(depthAt, _mm_blendv_epi8(stored16, NarrowValues(here), NarrowMask(draw)));
}

// Whole blocks in place, the last one with the lanes beyond the row switched off: read and
// written back unchanged where the row goes on, through a block-sized copy at its very end.
// Perspective is fixed at compile time, so that the blocks carry no test of it.
template <typename Packer, bool kPerspective>
void RampTexturedAvx2(uint8_t* row, uint16_t* depth, int64_t left, int64_t right,
                      const RampTexturedRow& span) {
    constexpr uint32_t bytesPerPixel = Packer::bytes;
    // Copies the stores through the row's bytes cannot reach, so that their fields stay in
    // registers across the blocks.
    const Texture texture = *span.texture;
    RampTexturedRow s = span;
    s.texture = &texture;
    const RampLookup ramp = LookupOf(*s.ramp);
    EightColumns c = FirstColumns(left, s);
    const __m256i all = _mm256_set1_epi32(-1);
    int64_t px = left;
    for (; px + 8 <= right; px += 8, NextColumns(&c, s))
        RampTexturedEight<Packer, kPerspective>(row + px * bytesPerPixel, bytesPerPixel, depth + px,
                                                c, all, ramp, s);
    const auto rest = int32_t(right - px);
    if (rest == 0) return;
    const __m256i lanes =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(rest), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    if (px + 8 <= s.columns) {
        RampTexturedEight<Packer, kPerspective>(row + px * bytesPerPixel, bytesPerPixel, depth + px,
                                                c, lanes, ramp, s);
        return;
    }
    alignas(32) uint8_t colour[8 * 4];
    alignas(16) uint16_t depths[8];
    const auto bytes = size_t(rest) * bytesPerPixel;
    std::copy_n(row + px * bytesPerPixel, bytes, colour);
    std::copy_n(depth + px, rest, depths);
    RampTexturedEight<Packer, kPerspective>(colour, bytesPerPixel, depths, c, lanes, ramp, s);
    std::copy_n(colour, bytes, row + px * bytesPerPixel);
    std::copy_n(depths, rest, depth + px);
}

// The farthest of sixteen columns of depths.
uint16_t FarthestOfSixteenAvx2(const uint16_t* depth, int32_t pitch, int32_t height) {
    __m256i farthest = _mm256_setzero_si256();
    for (int32_t y = 0; y < height; ++y)
        farthest = _mm256_max_epu16(
            farthest, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(depth + y * pitch)));
    const __m128i half =
        _mm_max_epu16(_mm256_castsi256_si128(farthest), _mm256_extracti128_si256(farthest, 1));
    // The largest is what is left of the smallest of the complements.
    const __m128i all = _mm_set1_epi16(-1);
    return uint16_t(0xFFFF - _mm_cvtsi128_si32(_mm_minpos_epu16(_mm_xor_si128(half, all))));
}

KR_AVX2_END

bool IsPowerOfTwo(int32_t size) {
    return size > 0 && (size & (size - 1)) == 0;
}

}  // namespace

bool RampTexturedVectorised(const Texture& texture) {
    return pixels::WideVectors() && IsPowerOfTwo(texture.width) && IsPowerOfTwo(texture.height);
}

namespace {
template <bool kPerspective>
RampTexturedBlocks RampTexturedBlocksOf(uint32_t bytesPerPixel, const Packing& p) {
    return WithPacker(bytesPerPixel, p, [](auto packer) -> RampTexturedBlocks {
        return RampTexturedAvx2<decltype(packer), kPerspective>;
    });
}
}  // namespace

RampTexturedBlocks RampTexturedBlocksFor(uint32_t bytesPerPixel, const Packing& packing,
                                         bool perspective) {
    return perspective ? RampTexturedBlocksOf<true>(bytesPerPixel, packing)
                       : RampTexturedBlocksOf<false>(bytesPerPixel, packing);
}

void FillGouraudSpan(uint8_t* pixels, uint32_t bytesPerPixel, uint16_t* depth, int32_t count,
                     const GouraudSpan& span, const Packing& packing, bool depthTest,
                     bool depthWrite) {
    if (bytesPerPixel == 2)
        return Span16(reinterpret_cast<uint16_t*>(pixels), depth, count, span, packing, depthTest,
                      depthWrite);
    auto* out = reinterpret_cast<uint32_t*>(pixels);
    if (pixels::WideVectors())
        Span32Avx2(out, depth, count, span, packing, depthTest, depthWrite);
    else
        Span32Generic(out, depth, count, span, packing, depthTest, depthWrite);
}

uint16_t FarthestIn(const uint16_t* depth, int32_t pitch, int32_t width, int32_t height) {
    if (pixels::WideVectors() && width == 16) return FarthestOfSixteenAvx2(depth, pitch, height);
    uint16_t farthest = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            farthest = std::max(farthest, depth[y * pitch + x]);
    return farthest;
}

inline __attribute__((always_inline)) bool AnyDepthPassesOf(const uint16_t* depth, int32_t count,
                                                            uint32_t z, uint32_t dz, int32_t bias) {
    // In blocks, so that the vectorised test can stop at the first visible block.
    constexpr int32_t kBlock = 32;
    for (int32_t start = 0; start < count; start += kBlock) {
        const int32_t end = std::min(count, start + kBlock);
        int32_t passes = 0;
        for (int32_t i = start; i < end; ++i) {
            const auto here = int32_t(z + uint32_t(i) * dz);
            const int32_t value = std::max(0, (std::clamp(here, 0, kDepthMax) >> 12) - bias);
            passes |= int32_t(value <= depth[i]);
        }
        if (passes != 0) return true;
    }
    return false;
}

namespace {
bool AnyDepthPassesGeneric(const uint16_t* depth, int32_t count, uint32_t z, uint32_t dz,
                           int32_t bias) {
    return AnyDepthPassesOf(depth, count, z, dz, bias);
}
KR_AVX2_BEGIN
bool AnyDepthPassesAvx2(const uint16_t* depth, int32_t count, uint32_t z, uint32_t dz,
                        int32_t bias) {
    return AnyDepthPassesOf(depth, count, z, dz, bias);
}
KR_AVX2_END
}  // namespace

bool AnyDepthPasses(const uint16_t* depth, int32_t count, uint32_t z, uint32_t dz, int32_t bias) {
    return pixels::WideVectors() ? AnyDepthPassesAvx2(depth, count, z, dz, bias)
                                 : AnyDepthPassesGeneric(depth, count, z, dz, bias);
}

// The first row is filled, the others copied from it.
void Clear(const Target& t, uint32_t pixel) {
    if (t.clipLeft >= t.clipRight || t.clipTop >= t.clipBottom) return;
    const size_t bytes = pixels::BytesPerPixel(t.colour.format);
    const size_t count = size_t(t.clipRight - t.clipLeft);
    uint8_t* first = t.colour.Row(t.clipTop) + size_t(t.clipLeft) * bytes;
    if (bytes == 2)
        std::fill_n(reinterpret_cast<uint16_t*>(first), count, uint16_t(pixel));
    else
        std::fill_n(reinterpret_cast<uint32_t*>(first), count, pixel);
    for (int32_t y = t.clipTop; y < t.clipBottom; ++y) {
        if (y > t.clipTop)
            std::memcpy(t.colour.Row(y) + size_t(t.clipLeft) * bytes, first, count * bytes);
        // The farthest depth has every byte 0xFF.
        if (t.depth != nullptr)
            std::memset(t.depth + y * t.depthPitch + t.clipLeft, 0xFF, count * 2);
    }
}

}  // namespace rm::raster
