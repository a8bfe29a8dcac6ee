#include "draw/effects_fixture.h"
#include "platform/crt/crt.h"

#include <array>
#include <random>
#include <utility>
#include <vector>

namespace {

using krDraw::display;

// The four blurs written from their arithmetic on a copy of a 5-6-5 Back surface: 2x2 averages
// at block origins pulled in at the last row and column, darkening by one step per flagged
// channel, and the upward blurs' pace pairs (counter 0, threshold 3 at the start) drawing from
// rand.
class BlurReference {
  public:
    explicit BlurReference(std::vector<uint16_t> pixels) : pixels_(std::move(pixels)) {}
    const std::vector<uint16_t>& Pixels() const { return pixels_; }

    // Blur and BlurFade (flags all 0 for Blur).
    void Blur(const int (&flags)[3], int x, int y, int width, int height) {
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                At(x + c, y + r) = Average(flags, x + Origin(c, width), y + Origin(r, height));
    }
    // BlurUp (pace 0) and BlurUpFade (pace 1).
    void BlurUp(int pace, const int (&flags)[3], int x, int y, int width, int height) {
        Pace& p = paces_[pace];
        for (int r = 1; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                if (++p.counter >= p.threshold) {
                    At(x + c, y + r - 1) = At(x + c, y + r);
                    p.counter = 0;
                    p.threshold = crt::rand() % 3;
                } else {
                    At(x + c, y + r - 1) =
                        Average(flags, x + Origin(c, width), y + Origin(r, height));
                }
            }
        }
    }

  private:
    struct Pace {
        int counter = 0, threshold = 3;
    };
    static int Origin(int i, int count) { return i == count - 1 ? i - 1 : i; }
    uint16_t& At(int x, int y) { return pixels_[static_cast<size_t>(y * 640 + x)]; }
    uint16_t Average(const int (&flags)[3], int x, int y) {
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k) {
            const uint32_t shift = std::array{11u, 5u, 0u}[k], mask = k == 1 ? 63 : 31;
            uint32_t sum = 0;
            for (const uint16_t pixel : {At(x, y), At(x + 1, y), At(x, y + 1), At(x + 1, y + 1)})
                sum += pixel >> shift & mask;
            const uint32_t value = sum >> 2;
            out |= (flags[k] != 0 && value > 0 ? value - 1 : value) << shift;
        }
        return static_cast<uint16_t>(out);
    }

    std::vector<uint16_t> pixels_;
    Pace paces_[2];
};

class BlendEffectsTest : public EffectsTest {
  protected:
    void SetUp() override {
        EffectsTest::SetUp();
        Open();
    }
};

// Random pictures, rectangles (one and two pixels from the edges too) and flags: each of the four
// blurs, the upward ones interleaved so that each keeps its own pace, picture for picture against
// the reference.
TEST_F(BlendEffectsTest, BlursMatchTheReference) {
    std::mt19937 random(29);
    const auto channel = [&](int bits) { return static_cast<uint32_t>(random() % (1u << bits)); };
    std::vector<uint16_t> picture(640 * 480);
    for (uint16_t& pixel : picture)
        pixel = Pixel(channel(5), channel(6), channel(5));
    Load(display.back, picture);
    BlurReference reference(picture);
    for (int call = 0; call < 200; ++call) {
        const int width = 2 + static_cast<int>(random() % 40);
        const int height = 2 + static_cast<int>(random() % 40);
        const int x = static_cast<int>(random() % static_cast<uint32_t>(641 - width));
        const int y = static_cast<int>(random() % static_cast<uint32_t>(481 - height));
        const int flags[3] = {static_cast<int>(random() % 2), static_cast<int>(random() % 2),
                              static_cast<int>(random() % 2)};
        const auto seed = static_cast<unsigned>(random());
        crt::srand(seed);
        const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
        const int kind = call % 4;
        const int32_t done =
            kind == 0   ? krDraw::Blur(x, y, w, h)
            : kind == 1 ? krDraw::BlurFade(flags[0], flags[1], flags[2], x, y, w, h)
            : kind == 2 ? krDraw::BlurUp(x, y, w, h)
                        : krDraw::BlurUpFade(flags[0], flags[1], flags[2], x, y, w, h);
        ASSERT_EQ(done, 1);
        crt::srand(seed);
        const int none[3] = {0, 0, 0};
        if (kind == 0) reference.Blur(none, x, y, width, height);
        if (kind == 1) reference.Blur(flags, x, y, width, height);
        if (kind == 2) reference.BlurUp(0, none, x, y, width, height);
        if (kind == 3) reference.BlurUp(1, flags, x, y, width, height);
        ASSERT_EQ(DifferingPixels(Snapshot(display.back), reference.Pixels()), 0)
            << "call " << call << " kind " << kind << " at " << x << "," << y << " " << width << "x"
            << height;
    }
}

// BlurFade with every flag on a 100 by 100 rectangle of white: the last row and column read
// pixels the call has darkened, so they fade faster; far from them a pixel loses exactly one step
// a call and reaches black with the green range's last call. A channel without its flag keeps
// its value; one at 0 stays at 0.
TEST_F(BlendEffectsTest, BlurFadeReachesBlackWithinTheGreenRange) {
    const uint32_t green = display.greenMax, calls = green;
    const uint32_t left = 31 > calls - 1 ? 31 - (calls - 1) : 0;  // red and blue one call early
    FillRaw(display.back, Pixel(31, green, 31));
    for (uint32_t call = 1; call < calls; ++call)
        krDraw::BlurFade(1, 1, 1, 0, 0, 100, 100);
    EXPECT_EQ(Get(display.back, 3, 3), Pixel(left, 1, left));
    krDraw::BlurFade(1, 1, 1, 0, 0, 100, 100);
    EXPECT_EQ(CountBack(kBlack), 100 * 100);
    EXPECT_EQ(Get(display.back, 100, 100), Pixel(31, green, 31));  // outside the rectangle
    FillRaw(display.back, Pixel(5, 0, 9));
    krDraw::BlurFade(0, 1, 1, 0, 0, 8, 8);
    EXPECT_EQ(Get(display.back, 0, 0), Pixel(5, 0, 8));
}

// Mode 0 fills each 2 by 2 cell, mode 1 sets its top-left pixel over the Buffer object's picture;
// cut at the clip rectangle.
TEST_F(BlendEffectsTest, Zoom2xModesFillOrDotTheCells) {
    const uint16_t colours[4] = {Pixel(31, 0, 0), Pixel(0, 31, 0), Pixel(0, 0, 31), Pixel(9, 9, 9)};
    const uint16_t old = Pixel(1, 2, 3);
    for (int32_t mode : {0, 1}) {
        FillRaw(krDraw::sprites[krDraw::kBufferObject].surface, old);
        for (int32_t i = 0; i < 4; ++i)
            Set(display.back, 300 + i % 2, 200 + i / 2, colours[i]);
        ASSERT_EQ(krDraw::Zoom2x(300, 200, 2, 2, mode), 1);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x)
                EXPECT_EQ(
                    Get(display.back, 300 + x, 200 + y),
                    mode == 0 || (x % 2 == 0 && y % 2 == 0) ? colours[(x / 2) + 2 * (y / 2)] : old);
    }
    Set(display.back, 10, 10, Pixel(31, 0, 0));
    krDraw::SetClip(0, 0, 12, 480);
    ASSERT_EQ(krDraw::Zoom4x(10, 10, 1, 1, 0), 1);
    EXPECT_EQ(Get(display.back, 11, 13), Pixel(31, 0, 0));
    EXPECT_EQ(Get(display.back, 12, 13), 0);
}

// A zoom that cannot lock the Back surface draws nothing, returns 0 and unlocks the Buffer object.
TEST_F(BlendEffectsTest, AZoomWithoutTheBackSurfaceLeavesTheBufferUnlocked) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(display.back->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    EXPECT_EQ(krDraw::Zoom2x(0, 0, 2, 2, 0), 0);
    EXPECT_EQ(krDraw::Zoom4x(0, 0, 2, 2, 1), 0);
    display.back->Unlock(nullptr);
    dd::Surface* buffer = krDraw::sprites[krDraw::kBufferObject].surface;
    ASSERT_EQ(buffer->Lock(nullptr, &desc, 0, nullptr), dd::DD_OK);
    buffer->Unlock(nullptr);
    EXPECT_EQ(krDraw::Zoom2x(0, 0, 2, 2, 0), 1);
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

}  // namespace
