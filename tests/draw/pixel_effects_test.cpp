#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>

#include "draw/effects_fixture.h"

namespace {

using krDraw::display;

class PixelEffectsTest : public EffectsTest {
  protected:
    void SetUp() override {
        EffectsTest::SetUp();
        Open();
    }
    uint16_t Result(int32_t x, int32_t y) { return Get(display.back, x + 100, y); }
};

using Parts = std::array<uint32_t, 3>;  // red, green, blue of a 5-6-5 pixel

constexpr Parts kMax{31, 63, 31};

Parts Split(uint16_t pixel) {
    return {pixel >> 11u & 31u, pixel >> 5u & 63u, pixel & 31u};
}

// ORed without masking: a component above its maximum spills into the next one's bits.
uint16_t Join(const Parts& c) {
    return static_cast<uint16_t>(c[0] << 11u | c[1] << 5u | c[2]);
}

uint32_t Times(uint32_t component, float factor) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(component) * factor));
}

uint32_t Mix(uint32_t s, uint32_t d, float alpha) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(s) * alpha +
                                                      static_cast<float>(d) * (1.0f - alpha)));
}

template <class Rule>
Parts Apply(const Rule& rule, const Parts& s, const Parts& d) {
    return {rule(s, d, 0), rule(s, d, 1), rule(s, d, 2)};
}

// Each per-pixel rule over random pixel pairs (every seventh source pixel black, so transparent),
// drawn at (580, 1) under a clip whose right edge cuts the last 24 columns off. A rule gives
// component k from the source's and the destination's components.
TEST_F(PixelEffectsTest, EachPixelRuleMatchesItsFormula) {
    using Rule = std::function<uint32_t(const Parts& s, const Parts& d, int k)>;
    const struct {
        const char* name;
        std::function<int32_t(int32_t)> draw;
        Rule rule;
    } cases[] = {
        {"half", [](int32_t o) { return krDraw::BlendHalf(580, 1, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts& d, int k) { return (s[k] + d[k]) / 2; }},
        {"alpha rgb",
         [](int32_t o) { return krDraw::BlendAlphaRGB(580, 1, 0.2f, 0.7f, 1.0f, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts& d, int k) {
             return Mix(s[k], d[k], std::array{0.2f, 0.7f, 1.0f}[k]);
         }},
        {"add", [](int32_t o) { return krDraw::BlendAdd(580, 1, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts& d, int k) { return std::min(s[k] + d[k], kMax[k]); }},
        {"subtract", [](int32_t o) { return krDraw::BlendSubtract(580, 1, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts& d, int k) { return d[k] > s[0] ? d[k] - s[0] : 0u; }},
        {"channels", [](int32_t o) { return krDraw::PutChannels(580, 1, 1, 0, 1, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts&, int k) { return k == 1 ? 0u : s[k]; }},
        {"bright rgb",
         [](int32_t o) { return krDraw::PutBrightRGB(580, 1, 1.7f, 0.0f, 0.25f, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts&, int k) {
             return Times(s[k], std::array{1.7f, 0.0f, 0.25f}[k]);
         }},
        {"gray", [](int32_t o) { return krDraw::PutGray(580, 1, o, 0, 0, 64, 1); },
         [](const Parts& s, const Parts&, int k) {
             return (s[0] + s[1] / 2 + s[2]) / 3 * (k == 1 ? 2 : 1);
         }},
    };
    std::mt19937 random(11);
    krDraw::SetClip(0, 0, 620, 480);
    for (const auto& c : cases) {
        std::vector<uint16_t> source, before;
        for (int32_t x = 0; x < 64; ++x) {
            source.push_back(x % 7 == 0 ? 0 : static_cast<uint16_t>(random() % 0xFFFF + 1));
            before.push_back(static_cast<uint16_t>(random()));
            Set(Object(), x, 0, source.back());
            Set(display.back, 580 + x, 1, before.back());
        }
        ASSERT_EQ(c.draw(object), 1) << c.name;
        for (int32_t x = 0; x < 60; ++x) {
            const bool drawn = source[x] != 0 && x < 40;
            EXPECT_EQ(Get(display.back, 580 + x, 1),
                      drawn ? Join(Apply(c.rule, Split(source[x]), Split(before[x]))) : before[x])
                << c.name << " column " << x;
        }
    }
}

TEST_F(PixelEffectsTest, BlurAveragesBlocksInsideTheRectangle) {
    // A 3 by 1 rectangle with block size 2: the block never leaves the rectangle.
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t y = 0; y < 2; ++y)
            Set(Object(), x, y, Pixel(4 * (x + 1), 0, 0));
    ASSERT_EQ(krDraw::PutBlur(100, 0, 2, object, 0, 0, 3, 2), 1);
    EXPECT_EQ(Result(0, 0), Pixel(6, 0, 0));
    EXPECT_EQ(Result(2, 1), Pixel(10, 0, 0));
    // A block larger than the rectangle is cut to it.
    ASSERT_EQ(krDraw::PutBlur(100, 0, 50, object, 0, 0, 3, 2), 1);
    EXPECT_EQ(Result(0, 0), Pixel(6, 0, 0));
}

// A source where neighbouring pixels differ and some are black.
uint16_t Pattern(int32_t x, int32_t y) {
    if ((x + 2 * y) % 11 == 0) return 0;
    return static_cast<uint16_t>(x * 37 + y * 1301 + 1);
}

int32_t Truncated(double value) {
    return static_cast<int32_t>(std::trunc(static_cast<float>(value)));
}

struct Source {
    int32_t l, t, r, b;
};

int32_t Sine(int32_t degrees) {
    return static_cast<int32_t>(std::sin(2 * std::numbers::pi * degrees / 360) * 360);
}

// The fixed-point turn written out plainly over a 640 by 480 Back with the whole screen as clip;
// zoom 0: none.
void Rotate(std::vector<uint16_t>& back, RECT d, int32_t angle, float zoom, bool tile, Source s) {
    const int32_t dw = d.right - d.left, dh = d.bottom - d.top;
    const int32_t sw = s.r - s.l, sh = s.b - s.t, hw = dw / 2, hh = dh / 2;
    const int32_t ox = (dw - sw) / 2, oy = (dh - sh) / 2;
    const int32_t sine = Sine(angle), cosine = Sine(angle + 90);
    int32_t startU = hw * 360 - hw * cosine + hh * sine;
    int32_t startV = hh * 360 - hw * sine - hh * cosine;
    for (int32_t j = 0; j < dh; ++j, startU -= sine, startV += cosine) {
        int32_t u = startU, v = startV;
        for (int32_t i = 0; i < dw; ++i, u += cosine, v += sine) {
            int32_t su = u / 360 - ox, sv = v / 360 - oy;
            if (zoom != 0) {
                su = Truncated(static_cast<float>(su) / zoom);
                sv = Truncated(static_cast<float>(sv) / zoom);
            }
            if (tile) {
                su = std::abs(su) % sw;
                sv = std::abs(sv) % sh;
            } else if (su < 0 || su >= sw || sv < 0 || sv >= sh) {
                continue;
            }
            const int32_t x = d.left + i, y = d.top + j;
            const uint16_t pixel = Pattern(s.l + su, s.t + sv);
            if (pixel != 0 && x >= 0 && x < 640 && y >= 0 && y < 480)
                back[static_cast<size_t>(y * 640 + x)] = pixel;
        }
    }
}

TEST_F(PixelEffectsTest, RotationsFollowTheFixedPointTurn) {
    for (int32_t y = 0; y < 481; ++y)
        for (int32_t x = 0; x < 640; ++x)
            Set(Object(), x, y, Pattern(x, y));
    Paint(display.back, kGreen);
    struct Case {
        RECT destination;
        int32_t angle;
        float zoom;  // 0: RotateObject or RotateTile
        bool tile;
        Source source;
    };
    const Case cases[] = {
        {{300, 100, 304, 104}, 90, 0, false, {0, 0, 4, 4}},
        {{50, 200, 107, 241}, 127, 0, false, {20, 3, 59, 34}},
        {{600, 440, 661, 503}, 301, 0, false, {1, 1, 44, 38}},
        {{120, 300, 179, 347}, 211, 0, true, {7, 2, 20, 11}},
        {{400, 20, 463, 91}, 45, 1.75f, false, {0, 0, 31, 23}},
        {{250, 20, 313, 71}, 349, 0.6f, true, {3, 4, 16, 13}},
    };
    for (const Case& c : cases) {
        std::vector<uint16_t> expected = Snapshot(display.back);
        Rotate(expected, c.destination, c.angle, c.zoom, c.tile, c.source);
        const RECT& d = c.destination;
        const Source& s = c.source;
        const auto plain = c.tile ? krDraw::RotateTile : krDraw::RotateObject;
        const auto zoomed = c.tile ? krDraw::RotateZoomTile : krDraw::RotateZoom;
        ASSERT_EQ(c.zoom == 0
                      ? plain(d.left, d.top, d.right, d.bottom, c.angle, object, s.l, s.t, s.r, s.b)
                      : zoomed(d.left, d.top, d.right, d.bottom, c.angle, c.zoom, object, s.l, s.t,
                               s.r, s.b),
                  1);
        EXPECT_EQ(DifferingPixels(Snapshot(display.back), expected), 0) << c.angle;
    }
}

// The zoom of a row far below the top is the start plus the step for each row above it: from 0
// by 1, the rows 2^31 below the top draw as at a steady 2^31. Summed row by row in floats, as the
// walk through every row once did, it stops growing at 2^24, where the tiles show other rows.
TEST_F(PixelEffectsTest, TheZoomFarBelowTheTopIsTheStepTimesTheRowsAbove) {
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            Set(Object(), x, y, Pixel(uint32_t(y % 32), uint32_t(y / 32 * 31), 5));
    auto draw = [&](float zoomY, float step) {
        FillRaw(display.back, 0);
        EXPECT_EQ(krDraw::RotatePlane(0, INT32_MIN, 640, 480, 0, 1, 0, zoomY, step, 1, 1, 1, object,
                                      0, 0, 64, 64),
                  1);
        return Snapshot(display.back);
    };
    const std::vector<uint16_t> stepped = draw(0, 1);
    EXPECT_EQ(stepped, draw(2147483648.0f, 0));
    EXPECT_NE(stepped, draw(16777216.0f, 0));
}

TEST_F(EffectsTest, NothingIsDrawnOnA32BitDisplay) {
    krDraw::Use32Bit();
    ASSERT_EQ(OpenDisplay(), 1);
    object = krDraw::CreateObject();
    Paint(display.back, kGreen);
    Paint(Object(), kWhite);
    EXPECT_EQ(krDraw::BlendHalf(0, 0, object, 0, 0, 100, 100), 0);
    EXPECT_EQ(krDraw::RotateObject(0, 0, 100, 100, 0, object, 0, 0, 100, 100), 0);
    EXPECT_EQ(krDraw::Blur(0, 0, 100, 100), 0);
    EXPECT_EQ(krDraw::Zoom2x(0, 0, 100, 100, 0), 0);
    EXPECT_EQ(CountBack(kGreen), 640 * 480);
}

}  // namespace
