// The software rasterizer: coverage, depth, culling, shading, textures, formats.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "platform/pixels/vector_units.h"
#include "platform/rm/raster.h"

namespace {

using rm::raster::State;
using rm::raster::Vertex;

// A small target of either pixel size with its depth buffer.
struct Canvas {
    Canvas(int32_t w, int32_t h, pixels::Format f = pixels::kRgb888)
        : width(w),
          height(h),
          format(f),
          bytes(size_t(w) * h * pixels::BytesPerPixel(f)),
          depth(size_t(w) * h, 0xFFFF) {}

    rm::raster::Target Target() {
        const auto pitch = int32_t(int32_t(pixels::BytesPerPixel(format)) * width);
        return {
            {bytes.data(), pitch, width, height, format}, depth.data(), width, 0, 0, width, height};
    }
    uint32_t At(int32_t x, int32_t y) const {
        const size_t i = size_t(y) * width + x;
        if (format.bitsPerPixel == 16) return uint32_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return uint32_t(bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                        uint32_t(bytes[4 * i + 3]) << 24);
    }

    int32_t width, height;
    pixels::Format format;
    std::vector<uint8_t> bytes;
    std::vector<uint16_t> depth;
};

Vertex At(float x, float y, float z = 0.5f, float shade = 255) {
    return {x, y, z, 1, shade, shade, shade, 0, 0};
}

using Draw = decltype(&rm::raster::DrawTriangle);

// Two clockwise triangles over [left, right) x [top, bottom).
void Square(const rm::raster::Target& target, float left, float top, float right, float bottom,
            float z = 0.5f, float shade = 255, Draw draw = rm::raster::DrawTriangle) {
    draw(target, {}, At(left, top, z, shade), At(right, top, z, shade),
         At(right, bottom, z, shade));
    draw(target, {}, At(left, top, z, shade), At(right, bottom, z, shade),
         At(left, bottom, z, shade));
}

TEST(Raster, ASquareCoversExactlyThePixelsWhoseCentresItHolds) {
    // Centres on the left or top edge belong to the square, on the right or bottom do not.
    for (const float offset : {0.0f, 0.25f, 0.5f, 0.75f}) {
        Canvas canvas(12, 12);
        Square(canvas.Target(), 2 + offset, 3 + offset, 6 + offset, 7 + offset);
        const int shift = offset > 0.5f ? 1 : 0;
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 12; ++x) {
                const bool inside =
                    x >= 2 + shift && x < 6 + shift && y >= 3 + shift && y < 7 + shift;
                EXPECT_EQ(canvas.At(x, y) != 0, inside) << offset << ": " << x << "," << y;
            }
    }
}

// Every path with the wide vector units and without: the pixels may not differ.
class RasterPaths : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        wide_ = pixels::WideVectors();
        pixels::SetWideVectors(GetParam());
    }
    void TearDown() override { pixels::SetWideVectors(wide_); }

  private:
    bool wide_ = false;
};
INSTANTIATE_TEST_SUITE_P(Raster, RasterPaths, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Wide" : "Generic"; });

// Random triangles of every kind over a canvas partly covered by a nearer square, drawn by the
// fast rows and by the plain walk of the bounding box.
TEST_P(RasterPaths, EveryKindOfTriangleMatchesThePlainWalkExactly) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-20, 170), shade(-30, 290), depth(0, 0.99f),
        uv(-2, 3), invW(0.05f, 1);
    std::uniform_int_distribution<uint32_t> texel(0, 0xFFFFFF);
    std::vector<uint32_t> texels(16 * 8);
    for (uint32_t& t : texels)
        t = texel(random) & 0xF0F0F0;  // few colours, so that the decal key is hit
    const rm::raster::Texture textures[] = {{texels.data(), 3, 3, true, texels[4]},
                                            {texels.data(), 2, 4, false, 0},
                                            {texels.data(), 16, 8, false, 0},
                                            {texels.data(), 8, 16, true, texels[9]}};
    // Blue above red takes the paths for formats read at run time.
    constexpr pixels::Format kBgr565{16, 0x001F, 0x07E0, 0xF800},
        kBgr888{32, 0xFF, 0xFF00, 0xFF0000};
    for (const pixels::Format format :
         {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888, kBgr565, kBgr888})
        for (int trial = 0; trial < 160; ++trial) {
            const bool textured = trial % 4 != 3;
            const State state{.cull = false,
                              .depthTest = trial % 7 != 1,
                              .depthWrite = trial % 9 != 2,
                              .depthBias = trial % 11 == 5 ? 300 : 0,
                              .texture = textured ? &textures[trial / 4 % 4] : nullptr,
                              .perspective = trial % 3 != 0,
                              .shades = trial % 5 == 0 ? 0u : uint32_t(trial % 32 + 1),
                              .rampBase = 0xC08040};
            Vertex v[3];
            for (Vertex& corner : v)
                corner = {coordinate(random), coordinate(random), depth(random),
                          invW(random),       shade(random),      shade(random),
                          shade(random),      uv(random),         uv(random)};
            Canvas fast(150, 120, format), plain(150, 120, format);
            for (Canvas* canvas : {&fast, &plain})
                Square(canvas->Target(), 10, 10, 90, 50, 0.4f, 90,
                       rm::raster::DrawTriangleReference);
            auto f = fast.Target(), p = plain.Target();
            rm::raster::DrawTriangle(f, state, v[0], v[1], v[2]);
            rm::raster::DrawTriangleReference(p, state, v[0], v[1], v[2]);
            ASSERT_EQ(fast.bytes, plain.bytes) << trial;
            ASSERT_EQ(fast.depth, plain.depth) << trial;
        }
}

TEST(Raster, TrianglesTheTilesHideDrawNothing) {
    std::mt19937 random(5);
    // Half of the triangles lie just behind the square, within rounding of its depth.
    std::uniform_real_distribution<float> coordinate(-10, 74), depth(0, 0.99f);
    int hidden = 0;
    for (int trial = 0; trial < 200; ++trial) {
        Canvas canvas(64, 64);
        auto target = canvas.Target();
        const float near = depth(random);
        Square(target, 0, 0, 64, 64, near);
        rm::raster::DepthTiles tiles(target);
        const Vertex square[2] = {At(0, 0), At(64, 64)};
        tiles.Refresh(square, 2);
        Vertex v[3];
        for (Vertex& corner : v)
            corner = At(coordinate(random), coordinate(random),
                        trial % 2 == 0 ? depth(random) : near + depth(random) / 4000, 10);
        if (!tiles.Hides(v, 3, 0)) continue;
        ++hidden;
        const std::vector<uint8_t> before = canvas.bytes;
        rm::raster::DrawTriangle(target, {.cull = false}, v[0], v[1], v[2]);
        ASSERT_EQ(canvas.bytes, before) << trial;
    }
    EXPECT_GT(hidden, 10);
}

// Shades are taken at pixel centres and packed in the target's own format.
TEST(Raster, GouraudInterpolatesLinearlyAtPixelCentresInEveryFormat) {
    for (const pixels::Format format : {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888}) {
        Canvas canvas(256, 4, format);
        auto target = canvas.Target();
        auto corner = [](float x, float y) { return Vertex{x, y, 0.5f, 1, x, 255 - x, 128, 0, 0}; };
        rm::raster::DrawTriangle(target, {}, corner(0, 0), corner(255, 0), corner(255, 4));
        rm::raster::DrawTriangle(target, {}, corner(0, 0), corner(255, 4), corner(0, 4));
        // At the centre x + 0.5 red is x + 0.5 and green 254.5 - x: both truncate.
        for (int32_t x : {0, 1, 17, 128, 254})
            EXPECT_EQ(canvas.At(x, 2), pixels::Pack(format, RGB(uint8_t(x), uint8_t(254 - x), 128)))
                << x;
        EXPECT_EQ(canvas.At(255, 2), 0u) << "the right edge is not drawn";
    }
}

Vertex Textured(float x, float y, float u, float v) {
    return {x, y, 0.5f, 1, 255, 255, 255, u, v};
}

// The texture once over a size by size square at the top left.
void TexturedSquare(const rm::raster::Target& target, const State& state, float size) {
    rm::raster::DrawTriangle(target, state, Textured(0, 0, 0, 0), Textured(size, 0, 1, 0),
                             Textured(size, size, 1, 1));
    rm::raster::DrawTriangle(target, state, Textured(0, 0, 0, 0), Textured(size, size, 1, 1),
                             Textured(0, size, 0, 1));
}

TEST(Raster, DecalTransparentTexelsLeaveTheTargetAlone) {
    Canvas canvas(8, 8);
    auto target = canvas.Target();
    std::fill(canvas.bytes.begin(), canvas.bytes.end(), uint8_t(0x55));
    const std::vector<uint32_t> texels = {0x000000, 0xFF0000, 0x00FF00, 0x000000};
    const rm::raster::Texture texture{texels.data(), 2, 2, true, 0x000000};
    TexturedSquare(target, {.texture = &texture}, 8);
    EXPECT_EQ(std::make_tuple(canvas.At(1, 1), canvas.At(6, 1), canvas.At(1, 6), canvas.At(6, 6)),
              std::make_tuple(0x55555555u, 0xFF0000u, 0x00FF00u, 0x55555555u));
    EXPECT_EQ(canvas.depth[9], 0xFFFF) << "a skipped texel writes no depth";
}

TEST(Raster, NonFiniteOrFarCornersDrawNothingAndReturn) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    Vertex nanShade = At(5, 9);
    nanShade.u = nan;
    const Vertex cases[] = {At(nan, 9),     At(inf, 9),    At(5, -inf), At(1e30f, 9),
                            At(5, 0x1p25f), At(5, 9, nan), nanShade};
    for (const Vertex& bad : cases) {
        Canvas canvas(10, 10);
        const auto target = canvas.Target();
        EXPECT_FALSE(rm::raster::DrawTriangle(target, {}, At(0, 0), At(10, 0), bad));
        EXPECT_FALSE(rm::raster::DrawTriangleReference(target, {}, At(0, 0), At(10, 0), bad));
        rm::raster::DrawLine(target, {}, At(0.5f, 0.5f), bad);
        EXPECT_EQ(canvas.bytes, std::vector<uint8_t>(canvas.bytes.size())) << bad.x << "," << bad.y;
    }
}

}  // namespace
