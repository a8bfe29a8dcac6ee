#include <kr/draw_gdi.h>
#include <kr/font.h>

#include <cstdlib>
#include <tuple>

#include "draw/draw_fixture.h"
#include "platform/gdi_canvas.h"

namespace {

using krDraw::display;

const COLORREF kCyan = RGB(0, 255, 255);

class GdiTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        ASSERT_EQ(OpenDisplay(), 1);
        Paint(display.back, kCyan);
    }
};

// Each primitive hands its colours, width and rectangle on; the shapes' own pixel rules are the
// platform's and tested there, so a few telling pixels each.
TEST_F(GdiTest, EachPrimitiveDrawsWithItsColoursAndWidth) {
    krDraw::Box(500, 120, 600, 220, kBlack, kWhite, 2);  // the map box: a 2-pixel white outline
    krDraw::Line(10, 10, 20, 10, kBlue, 1);
    const POINT curve[] = {{10, 30}, {20, 30}, {30, 30}, {40, 30}};
    krDraw::Bezier(curve, 4, kGreen, 1);
    krDraw::InvertRect(5, 40, 50, 60);  // cyan turns red
    krDraw::SetPixel(7, 9, kRed);
    const struct {
        int x, y;
        COLORREF colour;
    } expected[] = {
        {498, 118, kCyan},  {499, 119, kWhite}, {500, 120, kWhite}, {501, 121, kBlack},
        {597, 217, kBlack}, {598, 218, kWhite}, {599, 219, kWhite}, {600, 220, kCyan},
        {10, 10, kBlue},    {19, 10, kBlue},    {20, 10, kCyan},    {15, 11, kCyan},
        {25, 30, kGreen},   {25, 31, kCyan},    {5, 40, kRed},      {49, 59, kRed},
        {50, 40, kCyan},    {5, 60, kCyan},     {4, 40, kCyan},     {7, 9, kRed},
    };
    for (const auto& [x, y, colour] : expected)
        EXPECT_EQ(SurfacePixel(display.back, x, y), colour) << x << "," << y;
    int32_t red = 0, green = 0, blue = 0;
    krDraw::GetPixel(7, 9, &red, &green, &blue);
    EXPECT_EQ(std::tie(red, green, blue), std::make_tuple(255, 0, 0));
    for (const auto& [x, y] : {std::pair{640, 0}, {-1, 479}}) {
        krDraw::GetPixel(x, y, &red, &green, &blue);
        EXPECT_EQ(std::tie(red, green, blue), std::make_tuple(255, 255, 255)) << x;
    }
}

// Away from the outline: mode 0 leaves the inside alone, 1 and 3 hatch on the background colour,
// 2 hatches and lets the picture show through the gaps.
TEST_F(GdiTest, PolygonModesHatchOnTheBackgroundOrSeeThrough) {
    const POINT diamond[] = {{40, 10}, {70, 40}, {40, 70}, {10, 40}};
    for (int mode : {0, 1, 2, 3}) {
        Paint(display.back, kCyan);
        krDraw::Polygon(diamond, 4, kRed, kBlue, 1, mode);
        EXPECT_EQ(SurfacePixel(display.back, 40, 10), kRed) << mode;
        const COLORREF gap = mode == 2 ? kCyan : kBlue;
        int wrong = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                if (std::abs(x - 40) + std::abs(y - 40) < 28)
                    wrong += SurfacePixel(display.back, x, y) !=
                             (mode == 0 ? kCyan : (HatchBit(x, y) ? kRed : gap));
        EXPECT_EQ(wrong, 0) << mode;
    }
}

TEST_F(GdiTest, NothingIsDrawnWithoutTheBackSurfacesContext) {
    krFont::Begin(1, 12, 0, 0, 0, 0);  // the scope holds the context
    krDraw::Box(0, 0, 50, 50, kRed, kRed, 1);
    krDraw::SetPixel(60, 60, kRed);
    int32_t red = 0;
    krDraw::GetPixel(0, 0, &red, nullptr, nullptr);
    EXPECT_EQ(red, 255);
    krFont::End();
    EXPECT_EQ(CountBack(kCyan), 640 * 480);
    dd::LoseAllSurfaces();
    krDraw::Box(0, 0, 50, 50, kRed, kRed, 1);
    krDraw::InvertRect(0, 0, 50, 50);
    EXPECT_EQ(display.back->IsLost(), dd::DDERR_SURFACELOST);
}

TEST_F(GdiTest, GrabScreenCopiesTheRectangleOrRestoresLostSurfaces) {
    dd::Surface* screen = krDraw::sprites[krDraw::kScreenObject].surface;
    Paint(screen, kWhite);
    krDraw::Box(100, 100, 110, 110, kRed, kRed, 1);
    krDraw::GrabScreen(krDraw::kScreenObject, 100, 100, 120, 120);
    EXPECT_EQ(SurfacePixel(screen, 0, 0), kRed);
    EXPECT_EQ(SurfacePixel(screen, 15, 15), kCyan);
    EXPECT_EQ(SurfacePixel(screen, 25, 25), kWhite);
    dd::LoseAllSurfaces();
    krDraw::GrabScreen(krDraw::kScreenObject, 0, 0, 640, 480);
    EXPECT_EQ(display.back->IsLost(), dd::DD_OK);
    EXPECT_EQ(screen->IsLost(), dd::DD_OK);
    // Not retried: the restored Back surface's contents were not copied.
    Paint(display.back, kGreen);
    EXPECT_NE(SurfacePixel(screen, 0, 0), kGreen);
}

}  // namespace
