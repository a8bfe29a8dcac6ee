#include <kr/draw_gdi.h>

#include <string>
#include <tuple>

#include "draw/draw_fixture.h"
#include "draw/frame_rate.h"
#include "platform/backend/headless/headless.h"

namespace {

using krDraw::frameRate;

class FrameRateTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        ASSERT_EQ(OpenDisplay(), 1);
        krDraw::frameRate = krDraw::StartingFrameRate();  // start-up: a sample is due at once
    }
    // Frames at a steady rate: the milliseconds between frames repeat the pattern.
    static void Frames(int count, std::initializer_list<uint32_t> pattern) {
        for (int i = 0; i < count; ++i) {
            krDraw::ShowFps();
            headless::AdvanceClock(*(pattern.begin() + i % pattern.size()));
        }
    }
    static std::tuple<float, float, float> Figures() {
        return {frameRate.current, frameRate.maximum, frameRate.minimum};
    }
};

// Steady rates: the figures and the line after the given frames, each run from the start-up.
// The first sample is zero; rates above the starting minimum never lower it, a slow stretch does.
TEST_F(FrameRateTest, TheLineShowsTheCurrentMaximumAndMinimum) {
    Frames(110, {17, 17, 16});
    EXPECT_EQ(std::string(frameRate.line), "0.0 fps ( max 0.0 / min 99.9 )");
    const COLORREF box = pixels::Unpack(pixels::kRgb565, pixels::Pack(pixels::kRgb565, 0x800000));
    EXPECT_EQ(BackPixel(0, 0), box);  // the line stands on its dark blue box at the top left
    EXPECT_EQ(BackPixel(0, 12), SurfacePixel(krDraw::display.back, 0, 13));
    Frames(5 * 60 + 1, {17, 17, 16});
    EXPECT_EQ(std::string(frameRate.line), "60.0 fps ( max 60.0 / min 60.0 )");
    Frames(5 * 200 + 1, {5});
    EXPECT_EQ(Figures(), std::make_tuple(200.0f, 200.0f, 60.0f));
    Frames(3 * 30 + 1, {33, 34, 33});
    EXPECT_EQ(Figures(), std::make_tuple(30.0f, 200.0f, 30.0f));
    krDraw::frameRate = krDraw::StartingFrameRate();
    Frames(5 * 200 + 1, {5});
    EXPECT_EQ(Figures(), std::make_tuple(200.0f, 200.0f, 99.9f));
}

TEST_F(FrameRateTest, TheCounterStopsAt999) {
    krDraw::ShowFps();
    for (int i = 0; i < 2500; ++i)
        krDraw::ShowFps();
    headless::AdvanceClock(2000);
    krDraw::ShowFps();
    EXPECT_EQ(frameRate.current, 499.5f);
}

TEST_F(FrameRateTest, FormattedTextIsCutAt255Characters) {
    const std::string longText(300, 'x');
    krDraw::ShowTextFormat(0, 100, "%s", longText.c_str());
    const COLORREF box = pixels::Unpack(pixels::kRgb565, pixels::Pack(pixels::kRgb565, 0x800000));
    EXPECT_EQ(BackPixel(639, 100), box);  // 255 characters of 6 pixels run past the edge
    krDraw::ShowText(0, 200, "ok");
    EXPECT_EQ(BackPixel(0, 200), box);
    EXPECT_NE(BackPixel(12, 200), box);
}

}  // namespace
