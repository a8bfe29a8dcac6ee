#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "draw/effects_fixture.h"
#include "platform/backend/headless/headless.h"

namespace {

using krDraw::display;

// Frame f of the mask picture as the 5-6-5 display holds it.
COLORREF MaskColour(int frame) {
    return pixels::Unpack(
        pixels::kRgb565,
        pixels::Pack(pixels::kRgb565, RGB(static_cast<uint8_t>(8 * (frame + 1)), 0, 255)));
}

// Ten frames of 64 by 48 side by side, each in its own colour with a black (keyed) last column.
assets::Picture MaskPicture() {
    assets::Picture picture(640, 48);
    for (int frame = 0; frame < 10; ++frame)
        picture.FillRect(frame * 64, 0, frame * 64 + 63, 48,
                         {static_cast<uint8_t>(8 * (frame + 1)), 0, 255});
    return picture;
}

constexpr uint16_t kGreen565 = 0x07E0;

std::vector<uint16_t> ShownPixels() {
    const headless::Picture& shown = headless::LastPicture();
    std::vector<uint16_t> pixels(shown.memory.size() / 2);
    std::memcpy(pixels.data(), shown.memory.data(), pixels.size() * 2);
    return pixels;
}

int32_t CountShown(uint16_t pixel) {
    const std::vector<uint16_t> shown = ShownPixels();
    return static_cast<int32_t>(std::count(shown.begin(), shown.end(), pixel));
}

class PresentTest : public EffectsTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        WriteBitmap("MASK.BMP", MaskPicture());
        ASSERT_EQ(OpenDisplay(), 1);
        krDraw::LoadMask("MASK.BMP");
        ASSERT_NE(krDrawPresentation.maskObject, 0);
    }
    void FlipOverGreen() {
        Paint(display.back, kGreen);
        krDraw::Flip();
    }
};

// Forward through a loss of the surfaces before a frame (its first cell is dropped, the mask is
// reloaded), then backward: every frame shows, black is transparent.
TEST_F(PresentTest, TheMaskTransitionDrawsItsTenFramesEachWay) {
    krDraw::TransitionOut();
    for (int frame = 0; frame < 10; ++frame) {
        Paint(display.back, kGreen);
        if (frame == 4) dd::LoseAllSurfaces();
        krDraw::Flip();
        const headless::Picture& shown = headless::LastPicture();
        EXPECT_EQ(shown.At(9 * 64 + 62, 9 * 48 + 47), MaskColour(frame)) << frame;
        EXPECT_EQ(shown.At(63, 100), frame == 4 ? kBlack : kGreen) << frame;  // lost: no picture
        EXPECT_EQ(headless::PresentCount(), frame + 1);
        EXPECT_EQ(krDrawPresentation.transitionDirection, frame < 9 ? 1 : 0) << frame;
    }
    EXPECT_EQ(krDrawPresentation.transitionStep, 0);
    FlipOverGreen();
    EXPECT_EQ(CountShown(kGreen565), 640 * 480);
    krDraw::TransitionIn();
    for (int frame = 9; frame >= 0; --frame) {
        FlipOverGreen();
        EXPECT_EQ(headless::LastPicture().At(100, 100), MaskColour(frame)) << frame;
    }
    EXPECT_EQ(krDrawPresentation.transitionStep, 0);
    EXPECT_EQ(krDrawPresentation.transitionDirection, 0);
}

// A snapshot whose every pixel tells where it came from (5-6-5 values, none of them green).
uint16_t SnapshotPixel(int32_t x, int32_t y) {
    return static_cast<uint16_t>(((x * 7 + y * 3) & 0x1F) << 11 | (y & 0x1F));
}

// The picture a snapshot transition step shows over green, drawn plainly from the table of
// kinds: each entry puts the source rectangle (l, t, r, b) of the snapshot at (x, y).
std::vector<uint16_t> SnapshotStep(int32_t kind, int32_t length, int32_t step) {
    std::vector<uint16_t> pixels(640 * 480, kGreen565);
    const auto Put = [&](int32_t x, int32_t y, int32_t l, int32_t t, int32_t r, int32_t b) {
        for (int32_t j = 0; j < b - t; ++j)
            for (int32_t i = 0; i < r - l; ++i)
                if (x + i >= 0 && x + i < 640 && y + j >= 0 && y + j < 480 && l + i < 640 &&
                    t + j < 480)
                    pixels[static_cast<size_t>((y + j) * 640 + x + i)] =
                        SnapshotPixel(l + i, t + j);
    };
    const int32_t W = 640, H = 480, L = length, s = step, k = L - s + 1;
    switch (kind) {
        case 1:
            for (int32_t y = 0; y < H; ++y)
                if (y % s != 0) Put(0, y, 0, y, W, y + 1);
            break;
        case 2:
            for (int32_t y = 0; y < H; y += L)
                Put(0, y, 0, y, W, y + s + 1);
            break;
        case 5:
        case 6:
        case 7:
        case 8:  // the whole snapshot moving up, down, left or right
            Put(std::array{0, 0, -W / L, W / L}[kind - 5] * k,
                std::array{-H / L, H / L, 0, 0}[kind - 5] * k, 0, 0, W, H);
            break;
        case 9:
        case 10: {  // the halves parting up and down or sideways
            const int32_t w = kind == 10 ? W / 2 : W, h = kind == 9 ? H / 2 : H;
            const int32_t dx = kind == 10 ? w / L * k : 0, dy = kind == 9 ? h / L * k : 0;
            Put(-dx, -dy, 0, 0, w, h);
            Put(W - w + dx, H - h + dy, W - w, H - h, W, H);
            break;
        }
        case 11:
        case 12: {  // a growing left part or a shrinking right one
            const int32_t edge = W / L * (kind == 11 ? s : k);
            kind == 11 ? Put(0, 0, 0, 0, edge, H) : Put(edge, 0, edge, 0, W, H);
            break;
        }
    }
    return pixels;
}

// Lengths that do and do not divide the screen: every step of a backward run, picture for
// picture.
TEST_F(PresentTest, SnapshotKindsDrawTheirTableAtLengthsThreeSevenAndTen) {
    std::vector<uint16_t> snapshot;
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x)
            snapshot.push_back(SnapshotPixel(x, y));
    Load(krDraw::sprites[krDraw::kScreenObject].surface, snapshot);
    for (int32_t length : {3, 7, 10}) {
        for (int32_t kind : {1, 2, 5, 6, 7, 8, 9, 10, 11, 12}) {
            krDrawPresentation.transitionKind = kind;
            krDrawPresentation.transitionLength = length;
            krDrawPresentation.transitionStep = length;
            krDrawPresentation.transitionDirection = -1;
            for (int32_t step = length; step >= 1; --step) {
                FlipOverGreen();
                EXPECT_EQ(DifferingPixels(ShownPixels(), SnapshotStep(kind, length, step)), 0)
                    << "kind " << kind << " length " << length << " step " << step;
            }
            EXPECT_EQ(krDrawPresentation.transitionStep, 0) << kind;
        }
    }
}

TEST_F(PresentTest, SnapshotKindsOutsideTheirRangesDrawNothingRatherThanFault) {
    Paint(krDraw::sprites[krDraw::kScreenObject].surface, kRed);
    krDrawPresentation.transitionKind = 2;
    krDrawPresentation.transitionLength = 0;  // a band height of 0 would never end
    krDraw::TransitionOut();
    FlipOverGreen();
    EXPECT_EQ(CountShown(0xF800), 0);
    krDrawPresentation.transitionKind = 3;
    krDrawPresentation.transitionLength = 2;  // steps beyond the length
    krDrawPresentation.transitionStep = 5;
    FlipOverGreen();
    EXPECT_GT(CountShown(0xF800), 0);
}

// Keys go to the overlay while it is shown: the page scrolls 100 a second down and 300 up, held
// between its first row and the last that fills the clip; the tiles drift 10 a second and wrap.
// No page: nothing to show. A failed background load never swaps the next one into the Buffer
// object; a second load swaps into the same objects and scrolls back to the top.
TEST_F(PresentTest, TheOverlayTilesDriftAndWrapUnderAScrollingPage) {
    assets::Picture page(320, 400);
    page.FillRect(0, 0, 320, 100, {255, 0, 0});
    page.FillRect(0, 100, 320, 400, {255, 255, 255});
    WriteBitmap("PAGE.BMP", page);
    WriteBitmap("TILE.BMP", MaskPicture());
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
    krDraw::LoadOverlay("PAGE.BMP", "MISSING.BMP", 400);
    EXPECT_EQ(krDrawPresentation.backgroundObject, 0);
    krDraw::LoadOverlay("PAGE.BMP", "TILE.BMP", 400);
    EXPECT_STRNE(krDraw::sprites[0].name, "TILE.BMP");
    const int32_t objects[] = {krDrawPresentation.pageObject, krDrawPresentation.backgroundObject};
    krDraw::ToggleOverlay();
    headless::PressKey(VK_DOWN);
    DrainMessages();
    ASSERT_EQ(krSystemState.overlayKey, VK_DOWN);
    EXPECT_EQ(krSystemState.lastKey, 0);
    krDraw::clip = RECT{40, 30, 300, 180};
    const struct {
        float seconds;
        int32_t key, top;  // the page row shown at the clip's top
    } frames[] = {{0.25f, VK_DOWN, 0},  {2.5f, VK_DOWN, 25},  {1.0f, 0, 250},
                  {0.5f, VK_LEFT, 250}, {1.0f, VK_LEFT, 100}, {0.0f, 0, 0}};
    for (const auto& f : frames) {
        krSystemState.frameSeconds = f.seconds;
        krSystemState.overlayKey = f.key;
        FlipOverGreen();
        const headless::Picture& shown = headless::LastPicture();
        EXPECT_EQ(shown.At(40, 30), f.top < 100 ? kRed : kWhite) << f.top;
        EXPECT_EQ(shown.At(39, 30), kGreen) << f.top;
        if (f.top >= 100) continue;
        EXPECT_EQ(shown.At(299, 129 - f.top), kRed) << f.top;  // the page's row 99, then 100
        EXPECT_EQ(shown.At(299, 130 - f.top), kWhite) << f.top;
    }
    EXPECT_EQ(krDrawPresentation.tileOffsetX, -52.5f);  // 5.25 seconds
    EXPECT_EQ(krDrawPresentation.tileOffsetY, -4.5f);   // wrapped once by 48
    krDraw::LoadOverlay("PAGE.BMP", "TILE.BMP", 400);
    EXPECT_EQ(krDrawPresentation.pageObject, objects[0]);
    EXPECT_EQ(krDrawPresentation.backgroundObject, objects[1]);
    EXPECT_EQ(krDrawPresentation.scrollPosition, 0.0f);
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
}

}  // namespace
