// The pictures a player sees, written by the replay's captures and read back pixel by pixel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "maze_scene.h"
#include "picture.h"
#include "replay.h"

namespace {

// The colours the game draws with, read back from its 5-6-5 display (white a little below 255).
bool IsWhite(const Rgb& c) {
    return c.red >= 250 && c.green >= 250 && c.blue >= 250;
}
bool IsRed(const Rgb& c) {
    return c.red >= 250 && c.green == 0 && c.blue == 0;
}
bool IsDarkBlue(const Rgb& c) {
    return c.red == 0 && c.green == 0 && c.blue > 100 && c.blue < 160;
}

class MazePictures : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kr-maze-pictures-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

// The overlay: the title's glyphs from x 487, y 60 (K, I and A are 26, 13 and 27 pixels wide)
// with nothing beside them; the map box's white outline (the pen straddles its edges) with black
// round it; the dark-blue frame-rate and polygon lines at the top left; nothing below or right of
// the view and the overlay. The dot: a red 7 by 7 square with a black border, nowhere else red.
void ExpectOverlay(const Picture& p, int dotLeft, int dotTop) {
    const struct {
        int left, top, right, bottom, minLit, maxLit;
    } regions[] = {
        {487, 60, 513, 105, 101, 26 * 45}, {539, 60, 552, 105, 51, 13 * 45},
        {578, 60, 605, 105, 101, 27 * 45}, {480, 40, 487, 120, 0, 0},
        {605, 40, 640, 120, 0, 0},         {0, 40, 640, 60, 0, 0},
        {0, 420, 640, 480, 0, 0},          {480, 222, 640, 420, 0, 0},
        {602, 106, 640, 420, 0, 0},        {1, 0, 200, 14, 1001, 199 * 14},
    };
    for (const auto& r : regions) {
        const int lit = p.Lit(r.left, r.top, r.right, r.bottom);
        EXPECT_TRUE(lit >= r.minLit && lit <= r.maxLit)
            << lit << " lit at " << r.left << "," << r.top;
    }
    EXPECT_TRUE(IsDarkBlue(p.At(0, 0)) && IsDarkBlue(p.At(0, 20)));
    for (int i = 0; i < 100; i += 7) {
        EXPECT_TRUE(IsWhite(p.At(500 + i, 120)) && IsWhite(p.At(500, 120 + i)) &&
                    IsWhite(p.At(500 + i, 219)) && IsWhite(p.At(599, 120 + i)))
            << i;
        EXPECT_TRUE(p.At(500 + i, 221).IsBlack() && p.At(601, 120 + i).IsBlack() &&
                    p.At(497, 120 + i).IsBlack())
            << i;
    }
    EXPECT_TRUE(IsRed(p.At(dotLeft + 1, dotTop + 1)) && IsRed(p.At(dotLeft + 7, dotTop + 7)));
    EXPECT_TRUE(p.At(dotLeft, dotTop).IsBlack() && p.At(dotLeft + 8, dotTop + 8).IsBlack());
    int red = 0;
    for (int i = 0; i < 96 * 96; ++i)
        red += IsRed(p.At(502 + i % 96, 122 + i / 96)) ? 1 : 0;
    EXPECT_EQ(red, 49);
}

// The start, one cell forward (the dot one map step higher, the view new) and a quarter turn,
// which keeps the cell. A picture that cannot be written fails the run, not the others.
TEST_F(MazePictures, StartWalkAndTurnAsThePlayerSeesThem) {
    replay::Options options;
    options.dataDirectory = KR_DATA_DIR;
    options.frames = 75;
    options.keys = {{56, 38, 1}, {64, 39, 1}};
    options.shots = {{56, Path("start.png")},
                     {60, Path("walked.png")},
                     {64, Path("missing-folder/shot.png")},
                     {68, Path("turned.png")}};
    const replay::Outcome outcome = replay::Run(options);
    EXPECT_TRUE(outcome.quitNormally);
    EXPECT_FALSE(outcome.shotsWritten);
    const Picture start = Picture::FromPng(Path("start.png"));
    ASSERT_TRUE(start.Width() == 640 && start.Height() == 480);
    ExpectOverlay(start, 502, 208);
    // The walls fill most of the view; the wall behind the player is seen from its back.
    EXPECT_GT(start.Lit(0, 60, 480, 420), 480 * 360 / 2);
    const Picture walked = Picture::FromPng(Path("walked.png"));
    ExpectOverlay(walked, 502, 196);
    EXPECT_GT(start.Differing(walked), 9000);
    ExpectOverlay(Picture::FromPng(Path("turned.png")), 502, 196);
    EXPECT_FLOAT_EQ(mazeScene.heading, 90.0f);
}

}  // namespace
