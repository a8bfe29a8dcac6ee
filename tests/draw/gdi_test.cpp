#include <kr/draw_gdi.h>
#include <kr/font.h>

#include <functional>

#include "draw/draw_fixture.h"
#include "platform/backend/headless/headless.h"
#include "platform/gdi_canvas.h"

namespace {

using krDraw::display;

const COLORREF kCyan = RGB(0, 255, 255);

bool In(int value, int low, int high) {
    return value >= low && value <= high;
}

class GdiTest : public DrawTest {
  protected:
    // The Back surface's pixels inside the area against the expected picture.
    static void ExpectBack(RECT area, const std::function<COLORREF(int, int)>& expected) {
        int wrong = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF actual = SurfacePixel(display.back, x, y);
                if (actual != expected(x, y) && ++wrong <= 5) {
                    ADD_FAILURE() << "(" << x << ", " << y << ") is " << std::hex << actual;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(GdiTest, MapBoxAndPlayerDotArePixelExact) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(display.back, kCyan);
    krDraw::Box(500, 120, 600, 220, 0x000000, 0xFFFFFF, 2);
    krDraw::Box(520, 140, 530, 150, 0x0000FF, 0x000000, 2);
    ExpectBack({480, 100, 620, 240}, [](int x, int y) {
        if (In(x, 519, 529) && In(y, 139, 149)) {
            return In(x, 521, 527) && In(y, 141, 147) ? kRed : kBlack;
        }
        if (!In(x, 499, 599) || !In(y, 119, 219)) return kCyan;
        return In(x, 501, 597) && In(y, 121, 217) ? kBlack : kWhite;
    });
}

const POINT kDiamond[] = {{40, 10}, {70, 40}, {40, 70}, {10, 40}};

// The inside of the diamond, away from its outline.
bool DeepInside(int x, int y) {
    return std::abs(x - 40) + std::abs(y - 40) < 28;
}

TEST_F(GdiTest, PolygonFillModesOutlineHatchOnBackgroundAndSeeThrough) {
    ASSERT_EQ(OpenDisplay(), 1);
    const auto inside = [](int mode) {
        Paint(display.back, kCyan);
        krDraw::Polygon(kDiamond, 4, kRed, kBlue, 1, mode);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (DeepInside(x, y)) pixels.push_back(SurfacePixel(display.back, x, y));
            }
        }
        return pixels;
    };
    const auto expected = [](COLORREF gap) {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (DeepInside(x, y)) pixels.push_back(HatchBit(x, y) ? kRed : gap);
            }
        }
        return pixels;
    };
    EXPECT_EQ(inside(0), std::vector<COLORREF>(inside(0).size(), kCyan));
    EXPECT_EQ(SurfacePixel(display.back, 40, 10), kRed);  // the outline
    EXPECT_EQ(inside(1), expected(kBlue));
    EXPECT_EQ(inside(3), expected(kBlue));
    EXPECT_EQ(inside(2), expected(kCyan));
}

TEST_F(GdiTest, LineLeavesItsEndPointAndBezierFollowsItsPoints) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(display.back, kWhite);
    krDraw::Line(10, 10, 20, 10, kBlack, 1);
    ExpectBack({0, 9, 30, 12},
               [](int x, int y) { return y == 10 && In(x, 10, 19) ? kBlack : kWhite; });
    const POINT curve[] = {{10, 30}, {20, 30}, {30, 30}, {40, 30}};
    krDraw::Bezier(curve, 4, kBlue, 1);
    EXPECT_EQ(SurfacePixel(display.back, 25, 30), kBlue);
    EXPECT_EQ(SurfacePixel(display.back, 25, 31), kWhite);
}

// The rectangle's right and bottom edges are outside it; inverting twice is the platform's.
TEST_F(GdiTest, InvertRectCoversItsRectangleOnly) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(display.back, kCyan);
    const uint32_t cyan = RawPixel(display.back, 0, 0);
    krDraw::InvertRect(5, 5, 50, 40);
    for (const auto& [x, y, inside] : {std::tuple{5, 5, true},
                                       {49, 39, true},
                                       {50, 5, false},
                                       {5, 40, false},
                                       {4, 5, false},
                                       {5, 4, false}})
        EXPECT_EQ(RawPixel(display.back, x, y), inside ? cyan ^ 0xFFFFu : cyan) << x << "," << y;
}

TEST_F(GdiTest, PixelsRoundTripIn32BitAndReadWhiteOutside) {
    krDraw::Use32Bit();
    ASSERT_EQ(OpenDisplay(), 1);
    krDraw::SetPixel(7, 9, RGB(1, 2, 3));
    int32_t red = 0, green = 0, blue = 0;
    krDraw::GetPixel(7, 9, &red, &green, &blue);
    EXPECT_EQ(std::tie(red, green, blue), std::make_tuple(1, 2, 3));
    krDraw::GetPixel(640, 0, &red, &green, &blue);
    EXPECT_EQ(std::tie(red, green, blue), std::make_tuple(255, 255, 255));
    krDraw::GetPixel(-1, 479, &red, &green, &blue);
    EXPECT_EQ(std::tie(red, green, blue), std::make_tuple(255, 255, 255));
}

TEST_F(GdiTest, NothingIsDrawnWithoutTheBackSurfacesContext) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(display.back, kWhite);
    krFont::Begin(1, 12, 0, 0, 0, 0);  // the scope holds the context
    krDraw::Box(0, 0, 50, 50, kRed, kRed, 1);
    krDraw::SetPixel(60, 60, kRed);
    int32_t red = 0;
    krDraw::GetPixel(0, 0, &red, nullptr, nullptr);
    EXPECT_EQ(red, 255);
    krFont::End();
    EXPECT_EQ(CountBack(kWhite), 640 * 480);
    dd::LoseAllSurfaces();
    krDraw::Box(0, 0, 50, 50, kRed, kRed, 1);
    krDraw::InvertRect(0, 0, 50, 50);
    EXPECT_EQ(display.back->IsLost(), dd::DDERR_SURFACELOST);
}

TEST_F(GdiTest, GrabScreenCopiesTheRectangleOrRestoresLostSurfaces) {
    ASSERT_EQ(OpenDisplay(), 1);
    dd::Surface* screen = krDraw::sprites[krDraw::kScreenObject].surface;
    Paint(screen, kWhite);
    Paint(display.back, kBlue);
    krDraw::Box(100, 100, 110, 110, kRed, kRed, 1);
    krDraw::GrabScreen(krDraw::kScreenObject, 100, 100, 120, 120);
    EXPECT_EQ(SurfacePixel(screen, 0, 0), kRed);
    EXPECT_EQ(SurfacePixel(screen, 15, 15), kBlue);
    EXPECT_EQ(SurfacePixel(screen, 25, 25), kWhite);
    dd::LoseAllSurfaces();
    krDraw::GrabScreen(krDraw::kScreenObject, 0, 0, 640, 480);
    EXPECT_EQ(display.back->IsLost(), dd::DD_OK);
    EXPECT_EQ(screen->IsLost(), dd::DD_OK);
    // Not retried: the restored Back surface's contents were not copied.
    Paint(display.back, kGreen);
    EXPECT_NE(SurfacePixel(screen, 0, 0), kGreen);
}

TEST_F(GdiTest, EscapeWithASnapshotTransitionGrabsTheBackSurface) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(krDraw::sprites[krDraw::kScreenObject].surface, kWhite);
    Paint(display.back, kRed);
    krDrawPresentation.transitionKind = 1;
    krDrawPresentation.transitionLength = 10;
    headless::PressKey(VK_ESCAPE);
    DrainMessages();
    EXPECT_EQ(SurfacePixel(krDraw::sprites[krDraw::kScreenObject].surface, 320, 240), kRed);
    EXPECT_EQ(krSystemState.scene, 8);
}

}  // namespace
