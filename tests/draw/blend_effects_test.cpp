#include "draw/effects_fixture.h"
#include "platform/crt/crt.h"

namespace {

using krDraw::display;

class BlendEffectsTest : public EffectsTest {
  protected:
    void SetUp() override {
        EffectsTest::SetUp();
        Open(Use555());
    }
    virtual bool Use555() const { return false; }

    // BlurFade with every flag on a 100 by 100 rectangle of one colour. The last row and
    // column read pixels the call has darkened, so they fade faster; far from them a pixel
    // loses exactly one step a call, and is one step above black before the last call.
    static void ExpectFadesToBlack(uint16_t start, int32_t calls, uint16_t oneStepAbove) {
        FillRaw(display.back, start);
        for (int32_t call = 1; call < calls; ++call)
            krDraw::BlurFade(1, 1, 1, 0, 0, 100, 100);
        EXPECT_EQ(Get(display.back, 3, 3), oneStepAbove);
        krDraw::BlurFade(1, 1, 1, 0, 0, 100, 100);
        EXPECT_EQ(CountBack(kBlack), 100 * 100);
        EXPECT_EQ(Get(display.back, 100, 100), start);  // outside the rectangle
    }
};

TEST_F(BlendEffectsTest, OneColourStaysUnderBlurAndBlurUp) {
    const uint16_t teal = Pixel(3, 40, 17);
    FillRaw(display.back, teal);
    EXPECT_EQ(krDraw::Blur(10, 10, 50, 40), 1);
    EXPECT_EQ(krDraw::BlurUp(10, 10, 50, 40), 1);
    EXPECT_EQ(Snapshot(display.back), std::vector<uint16_t>(640 * 480, teal));
}

TEST_F(BlendEffectsTest, BlurUpPacesFromProgramStartAndLeavesTheBottomRow) {
    // Row 1 of a 4 by 2 rectangle: averaged, averaged, copied, then as the threshold says.
    const uint16_t row0[4] = {Pixel(0, 0, 0), Pixel(0, 0, 0), Pixel(0, 0, 0), Pixel(0, 0, 0)};
    const uint16_t row1[4] = {Pixel(8, 16, 8), Pixel(16, 32, 16), Pixel(24, 48, 24),
                              Pixel(4, 8, 4)};
    for (int32_t c = 0; c < 4; ++c) {
        Set(display.back, 100 + c, 50, row0[c]);
        Set(display.back, 100 + c, 51, row1[c]);
    }
    crt::srand(7);
    const int32_t threshold = crt::rand() % 3;
    crt::srand(7);
    ASSERT_EQ(krDraw::BlurUp(100, 50, 4, 2), 1);
    // The last row's blocks start one row up, so each average takes rows 0 and 1.
    EXPECT_EQ(Get(display.back, 100, 50), Pixel(6, 12, 6));
    EXPECT_EQ(Get(display.back, 101, 50), Pixel(10, 20, 10));
    EXPECT_EQ(Get(display.back, 102, 50), row1[2]);
    // After a copy the random threshold decides: 0 or 1 copies at once, 2 averages once more
    // (the last column's block starts one column left).
    EXPECT_EQ(Get(display.back, 103, 50), threshold <= 1 ? row1[3] : Pixel(7, 14, 7));
    for (int32_t c = 0; c < 4; ++c)
        EXPECT_EQ(Get(display.back, 100 + c, 51), row1[c]);
}

TEST_F(BlendEffectsTest, BlurUpFadeKeepsItsOwnPace) {
    FillRaw(display.back, Pixel(10, 10, 10));
    // BlurUp's first two pixels are averaged, the third copied; BlurUpFade starts afresh.
    ASSERT_EQ(krDraw::BlurUp(0, 0, 2, 2), 1);
    ASSERT_EQ(krDraw::BlurUpFade(1, 0, 0, 0, 10, 3, 2), 1);
    EXPECT_EQ(Get(display.back, 0, 10), Pixel(9, 10, 10));
    EXPECT_EQ(Get(display.back, 1, 10), Pixel(9, 10, 10));
    EXPECT_EQ(Get(display.back, 2, 10), Pixel(10, 10, 10));  // copied, not darkened
}

TEST_F(BlendEffectsTest, LastColumnAndRowAverageTheBlockEndingThere) {
    // A 3 by 3 rectangle beside a white frame: no white may leak in.
    FillRaw(display.back, Pixel(31, 63, 31));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            Set(display.back, 20 + x, 20 + y, Pixel(4, 8, 4));
    ASSERT_EQ(krDraw::Blur(20, 20, 3, 3), 1);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(Get(display.back, 20 + x, 20 + y), Pixel(4, 8, 4));
}

TEST_F(BlendEffectsTest, BlurFadeReachesBlackWithinTheGreenRangeOf565) {
    ExpectFadesToBlack(Pixel(31, 63, 31), 63, Pixel(0, 1, 0));
    // A channel without its flag keeps its value; one at 0 stays at 0.
    FillRaw(display.back, Pixel(5, 0, 9));
    krDraw::BlurFade(0, 1, 1, 0, 0, 8, 8);
    EXPECT_EQ(Get(display.back, 0, 0), Pixel(5, 0, 8));
}

TEST_F(BlendEffectsTest, Zoom2xModesFillOrDotTheCells) {
    const uint16_t colours[4] = {Pixel(31, 0, 0), Pixel(0, 63, 0), Pixel(0, 0, 31), Pixel(9, 9, 9)};
    for (int32_t i = 0; i < 4; ++i)
        Set(display.back, 300 + i % 2, 200 + i / 2, colours[i]);
    ASSERT_EQ(krDraw::Zoom2x(300, 200, 2, 2, 0), 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Get(display.back, 300 + x, 200 + y), colours[(x / 2) + 2 * (y / 2)]);

    const uint16_t old = Pixel(1, 2, 3);
    FillRaw(krDraw::sprites[krDraw::kBufferObject].surface, old);
    for (int32_t i = 0; i < 4; ++i)
        Set(display.back, 300 + i % 2, 200 + i / 2, colours[i]);
    ASSERT_EQ(krDraw::Zoom2x(300, 200, 2, 2, 1), 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Get(display.back, 300 + x, 200 + y),
                      x % 2 == 0 && y % 2 == 0 ? colours[(x / 2) + 2 * (y / 2)] : old);
}

TEST_F(BlendEffectsTest, Zoom4xIsCutAtTheClipRectangle) {
    Set(display.back, 10, 10, Pixel(31, 0, 0));
    krDraw::SetClip(0, 0, 12, 480);
    ASSERT_EQ(krDraw::Zoom4x(10, 10, 1, 1, 0), 1);
    EXPECT_EQ(Get(display.back, 11, 13), Pixel(31, 0, 0));
    EXPECT_EQ(Get(display.back, 12, 13), 0);
}

TEST_F(BlendEffectsTest, HostileRectanglesStayInsideTheSurfaces) {
    FillRaw(display.back, Pixel(2, 2, 2));
    const std::vector<uint16_t> before = Snapshot(display.back);
    const uint32_t huge = 0xFFFFFFFFu;
    EXPECT_EQ(krDraw::Blur(-5000, 0, huge, huge), 1);
    EXPECT_EQ(krDraw::BlurUp(639, 479, 100, 100), 1);  // one pixel left: nothing to blur
    EXPECT_EQ(krDraw::BlurFade(1, 1, 1, 700, 10, 10, 10), 1);
    EXPECT_EQ(krDraw::BlurUpFade(1, 1, 1, 0, 0, 1, 1), 1);
    EXPECT_EQ(Snapshot(display.back), before);
    EXPECT_EQ(krDraw::Zoom2x(-100, -100, huge, huge, 0), 1);
    EXPECT_EQ(krDraw::Zoom4x(INT32_MIN, INT32_MAX, huge, 7, 1), 1);
    EXPECT_EQ(krDraw::BlurUp(600, 460, 100, 100), 1);
}

class BlendEffects555Test : public BlendEffectsTest {
  protected:
    bool Use555() const override { return true; }
};

TEST_F(BlendEffects555Test, BlurFadeReachesBlackWithin31Calls) {
    ExpectFadesToBlack(Pixel(31, 31, 31), 31, Pixel(1, 1, 1));
}

}  // namespace
