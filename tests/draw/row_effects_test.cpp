#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <numbers>
#include <tuple>
#include <type_traits>

#include "draw/effects.h"
#include "draw/effects_fixture.h"
#include "platform/crt/crt.h"
#include "platform/crt/saturate.h"

namespace {

using krDraw::clip;
using krDraw::display;
using krDraw::wipe;

class RowEffectsTest : public EffectsTest {
  protected:
    void SetUp() override {
        EffectsTest::SetUp();
        Open();
        krSystemState.frameSeconds = 0.0f;
    }

    // Object rows of a distinct colour each across the first ten columns.
    void ColourRows(int32_t rows) {
        for (int32_t row = 0; row < rows; ++row)
            for (int32_t x = 0; x < 10; ++x)
                Set(Object(), x, row, RowColour(row));
    }
    static uint16_t RowColour(int32_t row) { return static_cast<uint16_t>(row + 1); }
    // Which source row each of the eleven Back rows from y 100 shows in column 200 (-1: none).
    static std::vector<int32_t> DrumRows() {
        std::vector<int32_t> rows;
        for (int32_t y = 100; y < 111; ++y)
            rows.push_back(static_cast<int32_t>(Get(display.back, 200, y)) - 1);
        return rows;
    }
};

TEST_F(RowEffectsTest, ScrollTilesCoverTheScreenAndWrapTheirOffsets) {
    FillRaw(Object(), Pixel(0, 63, 0));
    Set(Object(), 0, 0, Pixel(31, 0, 0));
    krSystemState.frameSeconds = 1.0f;
    krDraw::ScrollTiles(-60.0f, -45.0f, object, 0, 0, 64, 48);
    FillRaw(display.back, 0);
    krDraw::ScrollTiles(-60.0f, -45.0f, object, 0, 0, 64, 48);
    // Offsets (-60, -45): eleven columns and eleven rows are needed to cover the screen.
    EXPECT_EQ(CountBack(kGreen) + CountBack(kRed), 640 * 480);
    EXPECT_EQ(Get(display.back, 4, 3), Pixel(31, 0, 0));
    // -120 and -90 wrap by one tile to -56 and -42.
    krDraw::ScrollTiles(-60.0f, -45.0f, object, 0, 0, 64, 48);
    EXPECT_EQ(Get(display.back, 8, 6), Pixel(31, 0, 0));
}

TEST_F(RowEffectsTest, WaveScrollObjectWrapsItsSourceRow) {
    ColourRows(100);
    krSystemState.frameSeconds = 1.0f;
    krDraw::WaveScrollObject(100, 0, 0, 1, 0.0f, 95.0f, object, 0, 0, 10, 100);  // scroll now 5
    krDraw::WaveScrollObject(100, 200, 0, 1, 0.0f, 0.0f, object, 0, 0, 10, 100);
    EXPECT_EQ(Get(display.back, 100, 200 + 96), RowColour(2));
    EXPECT_EQ(Get(display.back, 100, 200 + 94), RowColour(99));
    EXPECT_EQ(Get(display.back, 100, 200 + 95), RowColour(1));
}

// N = 10: e = trunc(cos((i + phase) * 40 degrees) * 5) + 5, each row drawn from the fill position
// down to e, the fill position then e + 1 (so a row whose e lies above it hides the back).
TEST_F(RowEffectsTest, DrumObjectShowsTheFrontOfTheDrumAtEachPhase) {
    ColourRows(10);
    krSystemState.frameSeconds = 0.5f;
    krDraw::DrumObject(200, 100, 1, 5.0f, object, 0, 0, 10, 10);  // phase 0, then 2.5
    EXPECT_EQ(DrumRows(), (std::vector<int32_t>{0, 0, 6, 6, 7, 7, 8, 8, 8, 9, 9}));
    FillRaw(display.back, 0);
    krSystemState.frameSeconds = 0.0f;
    krDraw::DrumObject(200, 100, 1, 5.0f, object, 0, 0, 10, 10);
    EXPECT_EQ(DrumRows(), (std::vector<int32_t>{0, 3, 3, 4, 4, 4, 5, 5, 6, 6, -1}));
}

TEST_F(RowEffectsTest, UncheckedSizesDrawNothing) {
    ColourRows(10);
    krDraw::WaveObject(0, 0, 5, 0, 1.0f, object, 0, 0, 10, 10, true);
    krDraw::WaveScrollObject(0, 0, 5, -1, 1.0f, 1.0f, object, 0, 0, 10, 10);
    krDraw::WaveBand(0, 100, 5, 0, 1.0f, 1.0f, object, 0, 0, 10, 10);
    krDraw::BlockRows(0, 0, 0, object, 0, 0, 10, 10);
    krDraw::DrumObject(0, 0, 0, 1.0f, object, 0, 0, 10, 1);
    krDraw::ScrollTiles(1.0f, 1.0f, object, 0, 0, 0, 10);
    EXPECT_EQ(CountBack(kBlack), 640 * 480);
}

// Each draw with extreme arguments (which once wrapped, ran for seconds or read outside a surface)
// draws only inside the clip rectangle.
TEST_F(RowEffectsTest, ExtremeArgumentsDrawOnlyInsideTheClip) {
    constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
    const std::function<void()> draws[] = {
        [&] { krDraw::WaveObject(kMax, kMax, kMin, 1, 1, object, 0, 0, 10, 10, true); },
        [&] { krDraw::WaveObject(kMin, 100, kMin, 1, 1, object, 0, 0, 10, 10, true); },
        [&] { krDraw::WaveScrollObject(kMax, kMax - 3, kMax, 1, 1, 1e30f, object, 0, 0, 10, 10); },
        [&] { krDraw::WaveBand(kMax - 5, kMax, kMin, 1, 1, 1e30f, object, 0, 0, 10, 10); },
        [&] { krDraw::WaveBand(100, 110, 5, 1, 1, 1, object, kMin, 0, kMax, 10); },
        [&] { krDraw::ScrollTiles(1e30f, -1e30f, object, 0, 0, 10, 10); },
        [&] { krDraw::ScrollTiles(1, 1, object, kMin, 0, kMax, 10); },
        [&] { krDraw::DrumObject(0, kMax, 0, 1, object, 0, 0, 10, 10); },
        [&] { krDraw::DrumObject(150, kMin, 0, 1, object, 0, 0, 10, kMax); },
        [&] { krDraw::DrumObject(150, 120, 0, 1, object, 0, 0, 10, kMax); },
        [&] { krDraw::ShakeObject(150, 0, 5, object, 0, kMin, 10, kMax); },
        [&] { krDraw::PutRows(150, kMin, 3, object, 0, kMin, 10, kMax); },
        [&] { krDraw::PutRows(150, kMin, -2, object, 0, kMin, 10, kMax); },
        [&] { krDraw::WaveObject(150, 0, 5, 1, 1, object, 0, kMin, 10, kMax, true); },
        [&] { krDraw::WaveScrollObject(150, kMin, 5, 1, 1, 1, object, 0, 0, 10, kMax); },
        [&] { krDraw::WaveBand(kMin, kMax, 5, 1, 1, 1, object, 0, 0, 10, 10); },
        [&] { krDraw::BlockRows(150, kMin, 1, object, 0, kMin, 10, kMax); },
        [&] { krDraw::StretchObject(0, 0, object, kMin, 0, kMax, 10, 10, 10); },
        [&] { krDraw::MirrorObject(150, 150, 3, object, kMin, kMin, kMax, kMax); },
        [&] {
            krDraw::RotatePlane(0, kMin, 640, 480, 7, 0.5f, 0.01f, 0.5f, 0.02f, 1, 1, 1, object, 0,
                                0, 10, 10);
        },
        [&] { krDraw::PutBright(-10, -10, 3.0f, object, -50, -50, kMax, kMax); },
        [&] { krDraw::BlendAlpha(kMin, kMin, 0.5f, object, kMin, kMin, kMax, kMax); },
        [&] { krDraw::BlendHalf(630, 470, object, 600, 470, 700, 600); },
        [&] { krDraw::PutBlur(0, 0, kMax, object, 630, 475, 700, 600); },
        [&] { krDraw::PutBlur(0, 0, -4, object, 0, 0, 10, 10); },
        [&] { krDraw::PutRipple(600, 400, 500, 7, 0, 9.0f, 3.0f, object, 0, 0, 640, 481); },
        [&] { krDraw::RotateObject(-1000, -1000, 3000, 3000, 7, object, -20, -20, 900, 900); },
        [&] { krDraw::RotateZoom(kMin, 0, kMax, 100, 45, 0.0f, object, 0, 0, 640, 481); },
        [&] { krDraw::RotateZoomTile(0, 0, 640, 480, kMin, 1e-30f, object, 5, 5, 6, 6); },
        [&] {
            krDraw::RotatePlane(0, -5000, 640, 480, kMax, 0.5f, 0.01f, 0.5f, 0.02f, 2.0f, 1.0f,
                                0.5f, object, 0, 0, 64, 64);
        },
        [&] { krDraw::RotateTile(0, 0, 640, 480, 10, object, 0, 0, 0, 5); },
    };
    ColourRows(10);
    krSystemState.frameSeconds = 1.0f;
    for (size_t i = 0; i < std::size(draws); ++i) {
        Paint(display.back, kBlack);
        krDraw::SetClip(100, 100, 200, 200);
        draws[i]();
        int32_t outside = 0;
        for (int32_t y = 0; y < 480; ++y)
            for (int32_t x = 0; x < 640; ++x)
                outside +=
                    (x < 100 || x >= 200 || y < 100 || y >= 200) && Get(display.back, x, y) != 0;
        EXPECT_EQ(outside, 0) << "draw " << i;
    }
}

// The row walks as they were, one row at a time through every row, each row one clipped draw:
// the reference for the walks that pass over the rows out of reach at once. Each takes the
// arguments of the draw it stands for.
namespace reference {

int32_t At(int64_t value) {
    return crt::Saturate32(value);
}
void Row(int64_t x, int64_t y, int32_t object, int32_t l, int64_t row, int32_t r) {
    krDraw::PutObject(At(x), At(y), object, l, At(row), r, At(row + 1));
}
int32_t Cosine(int64_t n, double phase, int32_t amplitude) {
    return int32_t(std::cos((double(n) + phase) * 2.0 * std::numbers::pi / 360.0) * amplitude);
}

void PutRows(int32_t x, int32_t y, int32_t spacing, int32_t object, int32_t l, int32_t t, int32_t r,
             int32_t b) {
    if (spacing > 0) {
        for (int64_t row = int64_t{t} + spacing; row < b; row += spacing)
            Row(x, int64_t{y} + row - t, object, l, row, r);
    } else if (spacing < 0) {
        for (int64_t row = t + crt::rand() % -spacing + 1; row < b;
             row += crt::rand() % -spacing + 1)
            Row(x, int64_t{y} + row - t, object, l, row, r);
    }
}
void Shake(int32_t x, int32_t y, int32_t amplitude, int32_t object, int32_t l, int32_t t, int32_t r,
           int32_t b) {
    for (int64_t row = t; row < b; ++row)
        Row(x + int64_t{crt::rand()} % (2 * amplitude) - amplitude, int64_t{y} + row - t, object, l,
            row, r);
}
void Wave(int32_t x, int32_t y, int32_t amplitude, int32_t rowsPerDegree, float, int32_t object,
          int32_t l, int32_t t, int32_t r, int32_t b, bool alternate) {
    for (int64_t row = t; row < b; ++row) {
        int64_t off = Cosine(row / rowsPerDegree, krDraw::rows.wavePhaseA, amplitude);
        if (alternate) {
            off *= krDraw::rows.alternatingSign;
            krDraw::rows.alternatingSign = -krDraw::rows.alternatingSign;
        }
        Row(x + off, int64_t{y} + row - t, object, l, row, r);
    }
}
void Blocks(int32_t x, int32_t y, int32_t blockHeight, int32_t object, int32_t l, int32_t t,
            int32_t r, int32_t b) {
    for (int64_t row = t; row < b; row += blockHeight)
        for (int64_t k = row; k < row + blockHeight; ++k)
            Row(x, y + k - t, object, l, row, r);
}

}  // namespace reference

struct Walk {
    RECT clip;
    std::function<void()> walk, reference;
};

// The draw and its reference with the same arguments.
template <class... A>
Walk Both(RECT area, void (*draw)(A...), void (*reference)(A...), std::type_identity_t<A>... args) {
    return {area, [=] { draw(args...); }, [=] { reference(args...); }};
}

// Shaking, waving, spaced rows and blocks draw the picture of the one-row-at-a-time walk and leaves
// the random numbers and the alternating sign where it leaves them: rows out of reach above the
// clip, below it, below the surface, on both sides and all of them.
TEST_F(RowEffectsTest, RowWalksDrawAndDrawRandomNumbersAsTheWalkThroughEveryRow) {
    const RECT kBox{100, 100, 300, 300}, kBeyond{-900, -900, 2000, 2000};
    const int32_t o = object;
    const Walk kCases[] = {
        Both(kBox, krDraw::ShakeObject, reference::Shake, 150, 80, 5, o, 0, 0, 10, 100),
        Both(kBox, krDraw::ShakeObject, reference::Shake, 150, 250, 5, o, 0, 3, 10, 103),
        Both(kBox, krDraw::ShakeObject, reference::Shake, 150, 40, 7, o, 0, 0, 10, 300),
        Both(kBox, krDraw::ShakeObject, reference::Shake, 150, 400, 7, o, 0, 0, 10, 30),
        Both(kBeyond, krDraw::ShakeObject, reference::Shake, 150, -20, 3, o, 0, 0, 10, 250),
        Both(kBox, krDraw::PutRows, reference::PutRows, 150, 60, 7, o, 0, 2, 10, 300),
        Both(kBeyond, krDraw::PutRows, reference::PutRows, 150, -51, 3, o, 0, 0, 10, 299),
        Both(kBox, krDraw::PutRows, reference::PutRows, 150, 60, -7, o, 0, 2, 10, 300),
        Both(kBox, krDraw::PutRows, reference::PutRows, 150, -199900, -5, o, 0, -200000, 10,
             500000),
        Both(kBox, krDraw::WaveObject, reference::Wave, 150, 60, 8, 2, 0, o, 0, 5, 10, 280, true),
        Both(kBox, krDraw::WaveObject, reference::Wave, 150, 51, 8, 2, 0, o, 0, 4, 10, 283, true),
        Both(kBeyond, krDraw::WaveObject, reference::Wave, 150, 300, 8, 3, 0, o, 0, 0, 10, 290,
             false),
        Both(kBox, krDraw::BlockRows, reference::Blocks, 150, 60, 6, o, 0, 4, 10, 220),
        Both(kBeyond, krDraw::BlockRows, reference::Blocks, 150, 400, 7, o, 0, 0, 10, 100),
    };
    ColourRows(300);
    krDraw::rows.wavePhaseA = 30.0f;
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Walk& c = kCases[i];
        auto run = [&](const std::function<void()>& draw) {
            FillRaw(display.back, 0);
            krDraw::SetClip(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
            crt::srand(20261206);
            krDraw::rows.alternatingSign = 1;
            draw();
            return std::make_tuple(Snapshot(display.back), crt::rand(),
                                   krDraw::rows.alternatingSign);
        };
        const auto expected = run(c.reference);
        EXPECT_GT(std::count(std::get<0>(expected).begin(), std::get<0>(expected).end(), 0), 0)
            << "case " << i;
        EXPECT_TRUE(run(c.walk) == expected) << "case " << i;
    }
}

// 2^32 - 1 shaken rows take as many numbers: one short of the generator's period, so the next
// number is the one the seed itself stands for (its bits 16 to 30).
TEST_F(RowEffectsTest, ShakingTakesOneNumberForEveryRowInReachOrNot) {
    crt::srand(0x12345678u);
    krDraw::ShakeObject(150, 100, 5, object, 0, INT32_MIN, 10, INT32_MAX);
    EXPECT_EQ(crt::rand(), (0x12345678 >> 16) & 0x7FFF);
}

class WipeTest : public RowEffectsTest {
  protected:
    // A frame of scene 1, then one that finds scene 2.
    void ChangeScene() {
        DrainMessages();
        Pass();
        krSystemState.scene = 2;
        Pass();
        EXPECT_EQ(krSystemState.sceneChanged, 1);
    }
    static bool Whole() {
        return clip.left == 0 && clip.top == 0 && clip.right == 640 && clip.bottom == 480;
    }
    static int32_t FramesUntil(int32_t state) {
        int32_t frames = 0;
        while (wipe.state != state && frames < 10000) {
            krDraw::UpdateWipe();
            ++frames;
        }
        return frames;
    }
};

// Openings a step of d = speed + 1 pixels a frame: the edges move out from where the kind
// collapses them, and a pair takes its saved edges as soon as either edge reaches its own.
TEST_F(WipeTest, OpeningsTakeTheirCountOfFrames) {
    const struct {
        int32_t kind;
        RECT clip;
        float speed;
        int32_t band, frames;
    } cases[] = {
        {1, {0, 0, 640, 480}, 48.0f, 0, 10},  // the top from the bottom, 49 a frame
        {5, {0, 1, 640, 480}, 238.0f, 0, 1},  // the top edge lands on its own, the bottom short
        {8, {0, 0, 640, 480}, 99.0f, 40, 5},  // rows out in three, then the band's columns
        {9, {0, 0, 640, 480}, 99.0f, 40, 6},  // columns out in four, then the band's rows
        {7, {0, 0, 640, 480}, 99.0f, 0, 4},   // both pairs at once
        {-1, {0, 0, 640, 480}, 99.0f, 0, 1},  // unknown kinds leave the clip whole
        {1000, {0, 0, 640, 480}, 99.0f, 0, 1},
    };
    krSystemState.frameSeconds = 1.0f;
    crt::srand(7);
    const int32_t drawn = crt::rand();
    for (const auto& c : cases) {
        krDraw::SetClip(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        crt::srand(7);
        ASSERT_EQ(krDraw::StartWipe(0, c.kind, c.speed, c.band), 1) << c.kind;
        EXPECT_EQ(crt::rand(), drawn) << c.kind;  // only kind 0 takes a random number
        EXPECT_EQ(FramesUntil(0), c.frames) << c.kind;
        EXPECT_EQ(std::tie(clip.left, clip.top, clip.right, clip.bottom),
                  std::tie(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom))
            << c.kind;
        EXPECT_EQ(wipe.opened, 1) << c.kind;
    }
    EXPECT_EQ(krDraw::UpdateWipe(), 0);
    crt::srand(7);
    ASSERT_EQ(krDraw::StartWipe(0, 0, 100.0f, 40), 1);
    EXPECT_EQ(wipe.kind, drawn % 9 + 1);
}

// Every kind closes and opens again, on the whole screen and with extreme clips, speeds and bands
// that must not wrap; one wipe runs at a time.
TEST_F(WipeTest, EveryKindClosesAndOpensAgain) {
    const struct {
        RECT clip;
        float seconds, speed;
        int32_t band, frames;
    } runs[] = {{{0, 0, 640, 480}, 0.02f, 900.0f, 40, 10000},
                {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 1.0f, 1e30f, INT32_MAX, 4}};
    for (const auto& run : runs) {
        krSystemState.frameSeconds = run.seconds;
        for (int32_t kind = 1; kind <= 9; ++kind) {
            krDraw::SetClip(run.clip.left, run.clip.top, run.clip.right, run.clip.bottom);
            ASSERT_EQ(krDraw::StartWipe(1, kind, run.speed, run.band), 1) << kind;
            EXPECT_EQ(krDraw::StartWipe(0, 3, 50.0f, 10), 0) << kind;
            EXPECT_EQ(wipe.kind, kind);
            EXPECT_LT(FramesUntil(-1), run.frames) << kind;
            EXPECT_EQ(wipe.closed, 1);
            EXPECT_TRUE(clip.right <= clip.left || clip.bottom <= clip.top) << kind;
            ASSERT_EQ(krDraw::StartWipe(0, kind, run.speed, run.band), 1) << kind;
            EXPECT_LT(FramesUntil(0), run.frames) << kind;
            EXPECT_EQ(std::tie(clip.left, clip.bottom), std::tie(run.clip.left, run.clip.bottom))
                << kind;
        }
    }
}

// Only kind 0 draws a random kind; an unknown opening kind opens at the first update and an
// unknown closing kind still ends.
TEST_F(WipeTest, CloseClipBlocksDrawingAcrossSceneChangesUntilTheNextStart) {
    FillRaw(Object(), Pixel(31, 0, 0));
    krDraw::CloseClip();
    krDraw::PutObject(0, 0, object, 0, 0, 100, 100);
    EXPECT_EQ(CountBack(kRed), 0);
    ChangeScene();
    krDraw::PutObject(0, 0, object, 0, 0, 100, 100);
    EXPECT_EQ(CountBack(kRed), 0);
    ASSERT_EQ(krDraw::StartWipe(1, 1, 100.0f, 0), 1);
    EXPECT_TRUE(Whole());
    krDraw::PutObject(0, 0, object, 0, 0, 100, 100);
    EXPECT_EQ(CountBack(kRed), 100 * 100);
}

TEST_F(WipeTest, ASceneChangeEndsARunningWipe) {
    ASSERT_EQ(krDraw::StartWipe(0, 5, 10.0f, 0), 1);
    ChangeScene();
    EXPECT_EQ(wipe.state, 0);
    EXPECT_TRUE(Whole());
}

}  // namespace
