#include "draw/effects.h"
#include "draw/effects_fixture.h"

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

    // Each object row of the rectangle gets one marker pixel at column 20 (black is keyed).
    void MarkRows(int32_t rows) {
        for (int32_t row = 0; row < rows; ++row)
            Set(Object(), 20, row, Pixel(31, 0, 0));
    }
    // The first non-black column of a Back row, or -1.
    static int32_t MarkerColumn(int32_t row) {
        for (int32_t x = 0; x < 640; ++x)
            if (Get(display.back, x, row) != 0) return x;
        return -1;
    }
    // Object rows of a distinct colour each across the first ten columns.
    void ColourRows(int32_t rows) {
        for (int32_t row = 0; row < rows; ++row)
            for (int32_t x = 0; x < 10; ++x)
                Set(Object(), x, row, RowColour(row));
    }
    static uint16_t RowColour(int32_t row) { return static_cast<uint16_t>(row + 1); }
    // The Back rows with something drawn in a column.
    static int32_t DrawnRows(int32_t x) {
        int32_t rows = 0;
        for (int32_t y = 0; y < 480; ++y)
            rows += Get(display.back, x, y) != 0 ? 1 : 0;
        return rows;
    }
};

TEST_F(RowEffectsTest, WaveObjectShiftsRowsByTheCosine) {
    MarkRows(100);
    krDraw::WaveObject(100, 0, 10, 1, 0.0f, object, 0, 0, 100, 100, false);
    EXPECT_EQ(MarkerColumn(0), 130);
    EXPECT_EQ(MarkerColumn(60), 125);
    EXPECT_EQ(MarkerColumn(90), 120);
}

TEST_F(RowEffectsTest, AlternatingSignCarriesOverBetweenCalls) {
    MarkRows(3);
    krDraw::WaveObject(100, 0, 10, 1, 0.0f, object, 0, 0, 100, 3, true);
    EXPECT_EQ(MarkerColumn(0), 130);
    EXPECT_EQ(MarkerColumn(1), 111);
    EXPECT_EQ(MarkerColumn(2), 129);
    FillRaw(display.back, 0);
    krDraw::WaveObject(100, 0, 10, 1, 0.0f, object, 0, 0, 100, 1, true);
    EXPECT_EQ(MarkerColumn(0), 110);
}

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

TEST_F(RowEffectsTest, BlockRowsRepeatsEachBlocksFirstRow) {
    ColourRows(7);
    krDraw::BlockRows(100, 0, 3, object, 0, 0, 10, 7);
    const int32_t expected[9] = {0, 0, 0, 3, 3, 3, 6, 6, 6};
    for (int32_t y = 0; y < 9; ++y)
        EXPECT_EQ(Get(display.back, 100, y), RowColour(expected[y]));
}

TEST_F(RowEffectsTest, DrumObjectDrawsAtMostItsRowsPlusOneTheSameEachTime) {
    ColourRows(10);
    krSystemState.frameSeconds = 0.5f;
    krDraw::DrumObject(200, 100, 1, 9.0f, object, 0, 0, 10, 10);
    EXPECT_EQ(DrawnRows(200), 11);
    const std::vector<uint16_t> first = Snapshot(display.back);
    krSystemState.frameSeconds = 0.0f;
    FillRaw(display.back, 0);
    krDraw::DrumObject(200, 100, 1, 9.0f, object, 0, 0, 10, 10);
    const std::vector<uint16_t> turned = Snapshot(display.back);
    EXPECT_NE(turned, first);
    EXPECT_LE(DrawnRows(200), 11);
    FillRaw(display.back, 0);
    krDraw::DrumObject(200, 100, 1, 9.0f, object, 0, 0, 10, 10);
    EXPECT_EQ(Snapshot(display.back), turned);
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

TEST_F(WipeTest, OpeningFromTheBottomTakesTenFramesAt49Pixels) {
    krSystemState.frameSeconds = 0.1f;
    ASSERT_EQ(krDraw::StartWipe(0, 1, 480.0f, 0), 1);
    EXPECT_EQ(clip.top, 480);
    krDraw::UpdateWipe();
    EXPECT_EQ(clip.top, 480 - 49);
    EXPECT_EQ(FramesUntil(0) + 1, 10);
    EXPECT_TRUE(Whole());
    EXPECT_EQ(wipe.opened, 1);
    EXPECT_EQ(krDraw::UpdateWipe(), 0);
}

TEST_F(WipeTest, ASecondStartIsRefused) {
    ASSERT_EQ(krDraw::StartWipe(0, 7, 100.0f, 0), 1);
    const RECT collapsed = clip;
    EXPECT_EQ(krDraw::StartWipe(1, 3, 50.0f, 10), 0);
    EXPECT_EQ(std::tie(clip.left, clip.top, clip.right, clip.bottom),
              std::tie(collapsed.left, collapsed.top, collapsed.right, collapsed.bottom));
    EXPECT_EQ(wipe.kind, 7);
    EXPECT_EQ(wipe.state, 1);
}

TEST_F(WipeTest, EveryKindClosesAndOpensAgain) {
    krSystemState.frameSeconds = 0.02f;
    for (int32_t kind = 1; kind <= 9; ++kind) {
        ASSERT_EQ(krDraw::StartWipe(1, kind, 900.0f, 40), 1) << kind;
        EXPECT_LT(FramesUntil(-1), 10000) << kind;
        EXPECT_EQ(wipe.closed, 1);
        EXPECT_TRUE(clip.right <= clip.left || clip.bottom <= clip.top) << kind;
        ASSERT_EQ(krDraw::StartWipe(0, kind, 900.0f, 40), 1) << kind;
        EXPECT_FALSE(Whole()) << kind;
        EXPECT_LT(FramesUntil(0), 10000) << kind;
        EXPECT_TRUE(Whole()) << kind;
    }
}

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
