#include "draw/draw_fixture.h"
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

int CountShown(COLORREF colour) {
    const headless::Picture& shown = headless::LastPicture();
    int count = 0;
    for (int32_t y = 0; y < shown.height; ++y)
        for (int32_t x = 0; x < shown.width; ++x)
            count += shown.At(x, y) == colour ? 1 : 0;
    return count;
}

class PresentTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        WriteBitmap("MASK.BMP", MaskPicture());
    }
    void OpenWithMask(bool fullScreen = true) {
        ASSERT_EQ(OpenDisplay(fullScreen), 1);
        krDraw::LoadMask("MASK.BMP");
        ASSERT_NE(krDrawPresentation.maskObject, 0);
    }
    void FlipOverGreen() {
        Paint(display.back, kGreen);
        krDraw::Flip();
    }
};

TEST_F(PresentTest, TheMaskTransitionDrawsItsTenFramesForward) {
    OpenWithMask();
    krDraw::TransitionOut();
    for (int frame = 0; frame < 10; ++frame) {
        FlipOverGreen();
        const headless::Picture& shown = headless::LastPicture();
        EXPECT_EQ(shown.At(0, 0), MaskColour(frame)) << frame;
        EXPECT_EQ(shown.At(9 * 64 + 62, 9 * 48 + 47), MaskColour(frame)) << frame;
        EXPECT_EQ(shown.At(63, 0), kGreen) << frame;  // black is transparent
        EXPECT_EQ(krDrawPresentation.transitionDirection, frame < 9 ? 1 : 0) << frame;
    }
    EXPECT_EQ(krDrawPresentation.transitionStep, 0);
    FlipOverGreen();
    EXPECT_EQ(CountShown(kGreen), 640 * 480);
}

TEST_F(PresentTest, TheMaskTransitionRunsBackward) {
    OpenWithMask();
    krDraw::TransitionIn();
    for (int frame = 9; frame >= 0; --frame) {
        FlipOverGreen();
        EXPECT_EQ(headless::LastPicture().At(100, 100), MaskColour(frame)) << frame;
    }
    EXPECT_EQ(krDrawPresentation.transitionStep, 0);
    EXPECT_EQ(krDrawPresentation.transitionDirection, 0);
}

TEST_F(PresentTest, ASlideUpRunBackwardsMovesTheSnapshotOffAScreenfulInTenSteps) {
    OpenWithMask();
    Paint(krDraw::sprites[krDraw::kScreenObject].surface, kRed);
    krDrawPresentation.transitionKind = 5;
    krDrawPresentation.transitionLength = 10;
    krDrawPresentation.transitionStep = 10;
    krDrawPresentation.transitionDirection = -1;
    for (int k = 1; k <= 10; ++k) {
        FlipOverGreen();
        EXPECT_EQ(CountShown(kRed), 640 * (480 - 48 * k)) << k;  // drawn at y = -48k
    }
    EXPECT_EQ(krDrawPresentation.transitionStep, 0);
}

TEST_F(PresentTest, EverySnapshotKindLeavesNothingOfTheOldPictureAtItsLastStep) {
    OpenWithMask();
    Paint(krDraw::sprites[krDraw::kScreenObject].surface, kRed);
    for (int32_t kind = 1; kind <= 12; ++kind) {
        krDrawPresentation.transitionKind = kind;
        krDrawPresentation.transitionLength = 10;
        krDrawPresentation.transitionStep = 10;
        krDrawPresentation.transitionDirection = -1;
        int shownBefore = 640 * 480 + 1;
        for (int step = 10; step >= 1; --step) {
            FlipOverGreen();
            const int shown = CountShown(kRed);
            if (kind != 3 && kind != 4) {
                EXPECT_LE(shown, shownBefore) << kind << " " << step;
            }
            shownBefore = shown;
        }
        EXPECT_EQ(krDrawPresentation.transitionStep, 0) << kind;
        if (kind == 1 || (kind >= 5 && kind <= 10) || kind == 12) {
            EXPECT_EQ(shownBefore, 0) << kind;
        }
    }
}

TEST_F(PresentTest, SnapshotKindsOutsideTheirRangesDrawNothingRatherThanFault) {
    OpenWithMask();
    Paint(krDraw::sprites[krDraw::kScreenObject].surface, kRed);
    krDrawPresentation.transitionKind = 2;
    krDrawPresentation.transitionLength = 0;  // a band height of 0 would never end
    krDraw::TransitionOut();
    FlipOverGreen();
    EXPECT_EQ(CountShown(kRed), 0);
    krDrawPresentation.transitionKind = 3;
    krDrawPresentation.transitionLength = 2;  // steps beyond the length
    krDrawPresentation.transitionStep = 5;
    FlipOverGreen();
    EXPECT_GT(CountShown(kRed), 0);
}

TEST_F(PresentTest, TheOverlayStaysHiddenUntilAPageIsLoaded) {
    ASSERT_EQ(OpenDisplay(), 1);
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
}

TEST_F(PresentTest, TheOverlayScrollsWithTheKeysWithinItsPage) {
    assets::Picture page(640, 1000);
    for (int y = 0; y < 1000; ++y)
        page.FillRect(0, y, 640, y + 1, {255, static_cast<uint8_t>(y % 2 == 0 ? 255 : 0), 0});
    WriteBitmap("PAGE.BMP", page);
    WriteBitmap("TILE.BMP", assets::Picture(64, 48, {0, 0, 255}));
    OpenWithMask();
    krDraw::LoadOverlay("PAGE.BMP", "TILE.BMP", 1000);
    krDraw::ToggleOverlay();
    ASSERT_EQ(krDrawPresentation.overlayShown, 1);
    headless::PressKey(VK_DOWN);
    DrainMessages();
    EXPECT_EQ(krSystemState.overlayKey, VK_DOWN);  // keys go to the overlay while it is shown
    EXPECT_EQ(krSystemState.lastKey, 0);
    krSystemState.frameSeconds = 1.0f;
    for (int i = 0; i < 10; ++i) {
        FlipOverGreen();
        EXPECT_GE(krDrawPresentation.scrollPosition, 0.0f);
        EXPECT_LE(krDrawPresentation.scrollPosition, 520.0f);
    }
    EXPECT_FLOAT_EQ(krDrawPresentation.scrollPosition, 520.0f);
    FlipOverGreen();
    EXPECT_EQ(headless::LastPicture().At(0, 0), RGB(255, 255, 0));  // page row 520
    EXPECT_EQ(headless::LastPicture().At(0, 1), kRed);
    krSystemState.overlayKey = VK_LEFT;
    for (int i = 0; i < 3; ++i)
        FlipOverGreen();
    EXPECT_FLOAT_EQ(krDrawPresentation.scrollPosition, 0.0f);
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
}

}  // namespace
