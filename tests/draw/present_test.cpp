#include <cstring>
#include <vector>

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

// A snapshot whose every pixel tells where it came from (5-6-5 values, none of them green).
uint16_t SnapshotPixel(int32_t x, int32_t y) {
    return static_cast<uint16_t>(((x * 7 + y * 3) & 0x1F) << 11 | (y & 0x1F));
}

void PaintSnapshot(dd::Surface* surface) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    for (int32_t y = 0; y < 480; ++y) {
        auto* row =
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
        for (int32_t x = 0; x < 640; ++x)
            row[x] = SnapshotPixel(x, y);
    }
    surface->Unlock(nullptr);
}

// The picture a snapshot transition step shows over green, drawn plainly from the table of
// kinds: each entry puts the source rectangle (l, t, r, b) of the snapshot at (x, y).
class SnapshotReference {
  public:
    SnapshotReference() : pixels_(640 * 480, kGreen565) {}
    const std::vector<uint16_t>& Pixels() const { return pixels_; }

    void Step(int32_t kind, int32_t length, int32_t step) {
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
                Put(0, (-H / L) * k, 0, 0, W, H);
                break;
            case 6:
                Put(0, (H / L) * k, 0, 0, W, H);
                break;
            case 7:
                Put((-W / L) * k, 0, 0, 0, W, H);
                break;
            case 8:
                Put((W / L) * k, 0, 0, 0, W, H);
                break;
            case 9:
                Put(0, (-(H / 2) / L) * k, 0, 0, W, H / 2);
                Put(0, H / 2 + ((H / 2) / L) * k, 0, H / 2, W, H);
                break;
            case 10:
                Put((-(W / 2) / L) * k, 0, 0, 0, W / 2, H);
                Put(W / 2 + ((W / 2) / L) * k, 0, W / 2, 0, W, H);
                break;
            case 11:
                Put(0, 0, 0, 0, (W / L) * s, H);
                break;
            case 12:
                Put((W / L) * k, 0, (W / L) * k, 0, W, H);
                break;
            default:
                break;
        }
    }

  private:
    static constexpr uint16_t kGreen565 = 0x07E0;
    void Put(int32_t x, int32_t y, int32_t l, int32_t t, int32_t r, int32_t b) {
        for (int32_t j = 0; j < b - t; ++j)
            for (int32_t i = 0; i < r - l; ++i)
                if (x + i >= 0 && x + i < 640 && y + j >= 0 && y + j < 480 && l + i < 640 &&
                    t + j < 480)
                    pixels_[static_cast<size_t>((y + j) * 640 + x + i)] =
                        SnapshotPixel(l + i, t + j);
    }
    std::vector<uint16_t> pixels_;
};

std::vector<uint16_t> ShownPixels() {
    const headless::Picture& shown = headless::LastPicture();
    std::vector<uint16_t> pixels(shown.memory.size() / 2);
    std::memcpy(pixels.data(), shown.memory.data(), pixels.size() * 2);
    return pixels;
}

int32_t Differences(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    if (a.size() != b.size()) return -1;
    int32_t count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i] ? 1 : 0;
    return count;
}

// Lengths that do not divide the screen: every step of a backward run, picture for picture.
TEST_F(PresentTest, SnapshotKindsDrawTheirTableAtLengthsThreeAndSeven) {
    OpenWithMask();
    PaintSnapshot(krDraw::sprites[krDraw::kScreenObject].surface);
    for (int32_t length : {3, 7}) {
        for (int32_t kind : {1, 2, 5, 6, 7, 8, 9, 10, 11, 12}) {
            krDrawPresentation.transitionKind = kind;
            krDrawPresentation.transitionLength = length;
            krDrawPresentation.transitionStep = length;
            krDrawPresentation.transitionDirection = -1;
            for (int32_t step = length; step >= 1; --step) {
                SnapshotReference expected;
                expected.Step(kind, length, step);
                FlipOverGreen();
                EXPECT_EQ(Differences(ShownPixels(), expected.Pixels()), 0)
                    << "kind " << kind << " length " << length << " step " << step;
            }
            EXPECT_EQ(krDrawPresentation.transitionStep, 0) << kind;
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

TEST_F(PresentTest, AnOverlayAfterAFailedBackgroundLeavesTheBufferObjectAlone) {
    WriteBitmap("PAGE.BMP", assets::Picture(640, 100, {255, 0, 0}));
    WriteBitmap("TILE.BMP", assets::Picture(64, 48, {0, 0, 255}));
    OpenWithMask();
    dd::Surface* buffer = krDraw::sprites[0].surface;
    krDraw::LoadOverlay("PAGE.BMP", "MISSING.BMP", 100);
    EXPECT_EQ(krDrawPresentation.backgroundObject, 0);
    krDraw::LoadOverlay("PAGE.BMP", "TILE.BMP", 100);
    EXPECT_NE(krDrawPresentation.backgroundObject, 0);
    EXPECT_EQ(krDraw::sprites[0].surface, buffer);
    EXPECT_STRNE(krDraw::sprites[0].name, "TILE.BMP");
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
