#include <algorithm>
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
                SnapshotReference expected;
                expected.Step(kind, length, step);
                FlipOverGreen();
                EXPECT_EQ(DifferingPixels(ShownPixels(), expected.Pixels()), 0)
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

// A picture whose every pixel tells where it came from, black (keyed) on a slanting pattern.
assets::Picture Patterned(int32_t width, int32_t height, int32_t seed) {
    assets::Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + 2 * y + seed) % 13 != 0)
                picture.at(x, y) = {static_cast<uint8_t>(8 + 8 * ((x + seed) % 30)),
                                    static_cast<uint8_t>(4 * ((y + seed) % 60)),
                                    static_cast<uint8_t>(8 * seed)};
    return picture;
}

assets::Rgb At(const assets::Picture& picture, int32_t x, int32_t y) {
    return picture.pixels[static_cast<size_t>(y * picture.width + x)];
}

uint16_t Shown(const assets::Rgb& c) {
    return static_cast<uint16_t>(pixels::Pack(pixels::kRgb565, RGB(c.r, c.g, c.b)));
}

// The overlay over a green frame, within the clip: the tiles at the drift offset, then the
// page's rows from the scroll position when that source lies within the page; black is keyed.
// The scroll is held at 0 first and then at the page's last row, so a page shorter than the
// clip scrolls to a negative row and is not drawn.
std::vector<uint16_t> OverlayFrame(const assets::Picture& page, const assets::Picture& tile,
                                   const RECT& clip, int32_t dx, int32_t dy, int32_t scroll) {
    std::vector<uint16_t> frame(640 * 480, kGreen565);
    const bool pageFits = clip.right - clip.left <= page.width && scroll >= 0 &&
                          scroll + clip.bottom - clip.top <= page.height;
    for (int32_t y = clip.top; y < clip.bottom; ++y)
        for (int32_t x = clip.left; x < clip.right; ++x)
            for (const assets::Rgb& c :
                 {At(tile, (x - dx) % 64, (y - dy) % 48),
                  pageFits ? At(page, x - clip.left, y - clip.top + scroll) : assets::Rgb{}})
                if (c.r != 0 || c.g != 0 || c.b != 0)
                    frame[static_cast<size_t>(y * 640 + x)] = Shown(c);
    return frame;
}

// Pages smaller than the screen: with the whole screen as clip the page's source leaves the
// picture and only the tiles show; within a narrower clip the page scrolls (100 a second down,
// 300 up) to its last row and back to its first. The tiles drift 10 a second and wrap, and a
// second load swaps both pictures into the same objects and scrolls back to the top. No page:
// nothing to show; a failed background load never swaps the next one into the Buffer object.
TEST_F(PresentTest, TheOverlayTilesDriftAndWrapUnderAScrollingPage) {
    const assets::Picture page1 = Patterned(320, 200, 1), tile1 = Patterned(64, 48, 2);
    const assets::Picture page2 = Patterned(300, 400, 3), tile2 = Patterned(64, 48, 4);
    WriteBitmap("PAGE1.BMP", page1);
    WriteBitmap("TILE1.BMP", tile1);
    WriteBitmap("PAGE2.BMP", page2);
    WriteBitmap("TILE2.BMP", tile2);
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
    krDraw::LoadOverlay("PAGE1.BMP", "MISSING.BMP", 200);
    EXPECT_EQ(krDrawPresentation.backgroundObject, 0);
    krDraw::LoadOverlay("PAGE1.BMP", "TILE1.BMP", 200);
    EXPECT_STRNE(krDraw::sprites[0].name, "TILE1.BMP");
    const int32_t objects[] = {krDrawPresentation.pageObject, krDrawPresentation.backgroundObject};
    krDraw::ToggleOverlay();
    headless::PressKey(VK_DOWN);
    DrainMessages();
    ASSERT_EQ(krSystemState.overlayKey, VK_DOWN);  // keys go to the overlay while it is shown
    EXPECT_EQ(krSystemState.lastKey, 0);
    const RECT whole{0, 0, 640, 480}, narrow{40, 30, 300, 180};
    const struct {
        RECT clip;
        float seconds;
        int32_t key;
    } frames[] = {{whole, 0.37f, VK_DOWN},  {whole, 2.5f, VK_DOWN},   {whole, 3.6f, 0},
                  {narrow, 0.25f, VK_DOWN}, {narrow, 2.5f, VK_DOWN},  {narrow, 0.3f, VK_DOWN},
                  {narrow, 3.3f, VK_DOWN},  {narrow, 0.05f, VK_LEFT}, {narrow, 1.0f, VK_LEFT},
                  {whole, 0.2f, 0}};
    float dx = 0, dy = 0, scroll = 0;
    const assets::Picture *page = &page1, *tile = &tile1;
    for (size_t i = 0; i < std::size(frames); ++i) {
        const auto& f = frames[i];
        if (i == 6) {
            krDraw::LoadOverlay("PAGE2.BMP", "TILE2.BMP", 400);
            EXPECT_EQ(krDrawPresentation.pageObject, objects[0]);
            EXPECT_EQ(krDrawPresentation.backgroundObject, objects[1]);
            page = &page2, tile = &tile2, scroll = 0;
        }
        krDraw::clip = f.clip;
        krSystemState.frameSeconds = f.seconds;
        krSystemState.overlayKey = f.key;
        const std::vector<uint16_t> expected =
            OverlayFrame(*page, *tile, f.clip, int32_t(dx), int32_t(dy), int32_t(scroll));
        FlipOverGreen();
        EXPECT_EQ(DifferingPixels(ShownPixels(), expected), 0) << "frame " << i;
        dx -= f.seconds * 10.0f, dy -= f.seconds * 10.0f;
        if (dx <= -64) dx += 64;
        if (dy <= -48) dy += 48;
        scroll += f.seconds * (f.key == VK_DOWN ? 100.0f : f.key == VK_LEFT ? -300.0f : 0.0f);
        scroll =
            std::min(std::max(scroll, 0.0f), float(page->height - (f.clip.bottom - f.clip.top)));
    }
    krDraw::ToggleOverlay();
    EXPECT_EQ(krDrawPresentation.overlayShown, 0);
}

}  // namespace
