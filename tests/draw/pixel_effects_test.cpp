#include <cmath>
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

    // The object's pixel at (x, y) and the Back surface's pixel at (x + 100, y) before an
    // effect draws the object at (100, 0).
    void Pair(int32_t x, int32_t y, uint16_t source, uint16_t destination) {
        Set(Object(), x, y, source);
        Set(display.back, x + 100, y, destination);
    }
    uint16_t Result(int32_t x, int32_t y) { return Get(display.back, x + 100, y); }
};

TEST_F(PixelEffectsTest, BrightScalesAndBlackSourceIsTransparent) {
    Pair(0, 0, Pixel(31, 63, 31), Pixel(1, 1, 1));
    Pair(1, 0, 0, Pixel(1, 2, 3));
    ASSERT_EQ(krDraw::PutBright(100, 0, 0.5f, object, 0, 0, 2, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(15, 31, 15));
    EXPECT_EQ(Result(1, 0), Pixel(1, 2, 3));
    ASSERT_EQ(krDraw::PutBright(100, 0, 1.0f, object, 0, 0, 2, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(31, 63, 31));
    ASSERT_EQ(krDraw::PutBrightRGB(100, 0, 1.0f, 0.0f, 0.25f, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(31, 0, 7));
}

TEST_F(PixelEffectsTest, BrightLeftOfTheClipLocksNothing) {
    krDraw::SetClip(200, 0, 640, 480);
    Set(display.back, 150, 0, Pixel(1, 1, 1));
    Set(Object(), 0, 0, Pixel(31, 0, 0));
    const std::vector<uint16_t> before = Snapshot(display.back);
    EXPECT_EQ(krDraw::PutBright(100, 0, 1.0f, object, 0, 0, 100, 10), 1);
    EXPECT_EQ(Snapshot(display.back), before);
}

TEST_F(PixelEffectsTest, BlendsOfTwoPixels) {
    const uint16_t white = Pixel(31, 63, 31), grey = Pixel(16, 32, 16);
    Pair(0, 0, white, 0);
    ASSERT_EQ(krDraw::BlendHalf(100, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(15, 31, 15));

    Pair(0, 0, grey, grey);
    ASSERT_EQ(krDraw::BlendAdd(100, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), white);

    Pair(0, 0, Pixel(0, 0, 31), Pixel(20, 40, 20));
    ASSERT_EQ(krDraw::BlendSubtract(100, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(20, 40, 20));
    Pair(0, 0, Pixel(25, 0, 0), Pixel(20, 40, 10));
    ASSERT_EQ(krDraw::BlendSubtract(100, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(0, 15, 0));
}

TEST_F(PixelEffectsTest, ChannelsAndGray) {
    Pair(0, 0, Pixel(31, 63, 31), Pixel(3, 3, 3));
    ASSERT_EQ(krDraw::PutChannels(100, 0, 1, 0, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(31, 0, 0));
    Pair(0, 0, Pixel(31, 0, 0), 0);
    ASSERT_EQ(krDraw::PutGray(100, 0, object, 0, 0, 1, 1), 1);
    EXPECT_EQ(Result(0, 0), Pixel(10, 20, 10));
}

// The plain formula the table-driven blend must reproduce for every component pair.
uint32_t PlainAlpha(uint32_t s, uint32_t d, float alpha) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(s) * alpha +
                                                      static_cast<float>(d) * (1.0f - alpha)));
}

TEST_F(PixelEffectsTest, BlendAlphaEqualsThePlainFormula) {
    std::mt19937 random(11);
    const auto below = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    for (const float alpha : {0.0f, 0.3f, 0.5f, 0.7f, 0.999f, 1.0f}) {
        for (int32_t x = 0; x < 64; ++x) {
            const uint32_t s[3] = {below(32), below(63) + 1, below(32)};
            const uint32_t d[3] = {below(32), below(64), below(32)};
            Pair(x, 1, Pixel(s[0], s[1], s[2]), Pixel(d[0], d[1], d[2]));
            Set(display.back, x + 100, 2, Pixel(d[0], d[1], d[2]));
        }
        ASSERT_EQ(krDraw::BlendAlpha(100, 1, alpha, object, 0, 1, 64, 2), 1);
        for (int32_t x = 0; x < 64; ++x) {
            const uint16_t sp = Get(Object(), x, 1), dp = Get(display.back, x + 100, 2);
            const auto part = [](uint16_t p, int32_t shift, uint32_t max) {
                return (p >> shift) & max;
            };
            EXPECT_EQ(Result(x, 1), Pixel(PlainAlpha(part(sp, 11, 31), part(dp, 11, 31), alpha),
                                          PlainAlpha(part(sp, 5, 63), part(dp, 5, 63), alpha),
                                          PlainAlpha(part(sp, 0, 31), part(dp, 0, 31), alpha)))
                << "alpha " << alpha << " column " << x;
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

TEST_F(PixelEffectsTest, RotateObjectAtZeroCopiesAndAtNinetyTurns) {
    // A 4 by 4 source with a distinct colour per pixel.
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            Set(Object(), x, y, Pixel(x + 1, y + 1, 1));
    ASSERT_EQ(krDraw::RotateObject(200, 100, 204, 104, 0, object, 0, 0, 4, 4), 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Get(display.back, 200 + x, 100 + y), Get(Object(), x, y));
    ASSERT_EQ(krDraw::RotateObject(300, 100, 304, 104, 90, object, 0, 0, 4, 4), 1);
    // Destination (i, j) shows the source at (4 - j, i): the turn is about the corner between
    // the middle pixels, so row 0 maps past the source and stays as it was.
    std::vector<uint16_t> seen;
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            seen.push_back(Get(display.back, 300 + x, 100 + y));
    for (int32_t j = 0; j < 4; ++j)
        for (int32_t i = 0; i < 4; ++i)
            EXPECT_EQ(seen[j * 4 + i], j == 0 ? 0 : Get(Object(), 4 - j, i)) << i << "," << j;
    // The same angle a whole turn on and a turn back gives the same picture.
    ASSERT_EQ(krDraw::RotateObject(400, 100, 404, 104, 450, object, 0, 0, 4, 4), 1);
    ASSERT_EQ(krDraw::RotateObject(500, 100, 504, 104, -270, object, 0, 0, 4, 4), 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(Get(display.back, 400 + x, 100 + y), seen[y * 4 + x]);
            EXPECT_EQ(Get(display.back, 500 + x, 100 + y), seen[y * 4 + x]);
        }
}

TEST_F(PixelEffectsTest, RotateTileFillsItsRectangle) {
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            Set(Object(), x, y, Pixel(31, 0, 0));
    krDraw::SetClip(0, 0, 640, 250);
    ASSERT_EQ(krDraw::RotateTile(100, 200, 200, 300, 33, object, 0, 0, 8, 8), 1);
    EXPECT_EQ(CountBack(kRed), 100 * 50);
    ASSERT_EQ(krDraw::RotateZoomTile(300, 0, 400, 100, 77, 2.5f, object, 0, 0, 8, 8), 1);
    EXPECT_EQ(CountBack(kRed), 100 * 50 + 100 * 100);
}

TEST_F(PixelEffectsTest, HostileArgumentsStayInsideTheSurfaces) {
    FillRaw(Object(), Pixel(5, 5, 5));
    const int32_t big = INT32_MAX, small = INT32_MIN;
    EXPECT_EQ(krDraw::PutBright(-10, -10, 3.0f, object, -50, -50, big, big), 1);
    EXPECT_EQ(krDraw::BlendAlpha(small, small, 0.5f, object, small, small, big, big), 1);
    EXPECT_EQ(krDraw::BlendHalf(630, 470, object, 600, 470, 700, 600), 1);
    EXPECT_EQ(krDraw::PutBlur(0, 0, big, object, 630, 475, 700, 600), 1);
    EXPECT_EQ(krDraw::PutBlur(0, 0, -4, object, 0, 0, 10, 10), 1);
    EXPECT_EQ(krDraw::PutRipple(600, 400, 500, 7, 0, 9.0f, 3.0f, object, 0, 0, 640, 481), 1);
    EXPECT_EQ(krDraw::RotateObject(-1000, -1000, 3000, 3000, 7, object, -20, -20, 900, 900), 1);
    EXPECT_EQ(krDraw::RotateZoom(small, 0, big, 100, 45, 0.0f, object, 0, 0, 640, 481), 1);
    EXPECT_EQ(krDraw::RotateZoomTile(0, 0, 640, 480, small, 1e-30f, object, 5, 5, 6, 6), 1);
    EXPECT_EQ(krDraw::RotatePlane(0, -5000, 640, 480, big, 0.5f, 0.01f, 0.5f, 0.02f, 2.0f, 1.0f,
                                  0.5f, object, 0, 0, 64, 64),
              1);
    EXPECT_EQ(krDraw::RotateTile(0, 0, 640, 480, 10, object, 0, 0, 0, 5), 1);
    EXPECT_EQ(krDraw::PutBright(0, 0, 1.0f, 999, 0, 0, 10, 10), 0);  // no such object
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
