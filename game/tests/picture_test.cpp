// The pictures a player sees, written by the replay's captures and read back pixel by pixel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "maze_scene.h"
#include "picture.h"
#include "replay.h"

namespace {

// The colours the game draws with, read back from its 5-6-5 display (white a little below 255).
bool IsBlack(const Picture& p, int x, int y) {
    return p.At(x, y).IsBlack();
}
bool IsWhite(const Picture& p, int x, int y) {
    const Rgb c = p.At(x, y);
    return c.red >= 250 && c.green >= 250 && c.blue >= 250;
}
bool IsRed(const Picture& p, int x, int y) {
    const Rgb c = p.At(x, y);
    return c.red >= 250 && c.green == 0 && c.blue == 0;
}
bool IsDarkBlue(const Picture& p, int x, int y) {
    const Rgb c = p.At(x, y);
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

// The dot's red inside, its black border, and black around it inside the map.
void ExpectDotAt(const Picture& picture, int left, int top) {
    EXPECT_TRUE(IsRed(picture, left + 1, top + 1)) << left << "," << top;
    EXPECT_TRUE(IsRed(picture, left + 7, top + 7)) << left << "," << top;
    EXPECT_TRUE(IsBlack(picture, left, top));
    EXPECT_TRUE(IsBlack(picture, left + 8, top + 8));
    int red = 0;
    for (int y = 122; y < 218; ++y)
        for (int x = 502; x < 598; ++x)
            red += IsRed(picture, x, y) ? 1 : 0;
    EXPECT_EQ(red, 49);  // one 7 by 7 square, nowhere else
}

void ExpectMapBox(const Picture& picture) {
    for (int i = 0; i < 100; i += 7) {
        EXPECT_TRUE(IsWhite(picture, 500 + i, 120)) << i;
        EXPECT_TRUE(IsWhite(picture, 500, 120 + i)) << i;
        EXPECT_TRUE(IsWhite(picture, 500 + i, 219)) << i;
        EXPECT_TRUE(IsWhite(picture, 599, 120 + i)) << i;
        EXPECT_TRUE(IsBlack(picture, 500 + i, 221)) << i;
        EXPECT_TRUE(IsBlack(picture, 601, 120 + i)) << i;
        EXPECT_TRUE(IsBlack(picture, 497, 120 + i)) << i;  // the pen straddles the edge
    }
}

// The title: glyphs from x 487, y 60, K first; 26 + 26 + 13 + 26 + 27 pixels wide.
void ExpectTitle(const Picture& picture) {
    EXPECT_GT(picture.Lit(487, 60, 513, 105), 100);  // K
    EXPECT_GT(picture.Lit(539, 60, 552, 105), 50);   // I
    EXPECT_GT(picture.Lit(578, 60, 605, 105), 100);  // A
    EXPECT_EQ(picture.Lit(480, 40, 487, 120), 0);
    EXPECT_EQ(picture.Lit(605, 40, 640, 120), 0);
    EXPECT_EQ(picture.Lit(480, 40, 640, 60), 0);
}

// The frame-rate line and the polygon line under it, dark-blue boxes at the top left.
void ExpectFigureLines(const Picture& picture) {
    EXPECT_TRUE(IsDarkBlue(picture, 0, 0));
    EXPECT_TRUE(IsDarkBlue(picture, 0, 20));
    EXPECT_GT(picture.Lit(0, 0, 200, 14) - picture.Lit(0, 0, 1, 14), 1000);
    EXPECT_EQ(picture.Lit(0, 40, 480, 60), 0);
}

void ExpectNothingOutsideTheOverlayAndView(const Picture& picture) {
    EXPECT_EQ(picture.Lit(0, 420, 640, 480), 0);
    EXPECT_EQ(picture.Lit(480, 222, 640, 420), 0);
    EXPECT_EQ(picture.Lit(602, 106, 640, 420), 0);
}

TEST_F(MazePictures, StartWalkAndTurnAsThePlayerSeesThem) {
    replay::Options options;
    options.dataDirectory = KR_DATA_DIR;
    options.frames = 75;
    options.keys = {{56, 38, 1}, {64, 39, 1}};
    options.shots = {{56, Path("start.png")}, {60, Path("walked.png")}, {68, Path("turned.png")}};
    const replay::Outcome outcome = replay::Run(options);
    ASSERT_TRUE(outcome.quitNormally);
    ASSERT_TRUE(outcome.shotsWritten);

    const Picture start = Picture::FromPng(Path("start.png"));
    ASSERT_TRUE(start.Loaded());
    EXPECT_EQ(start.Width(), 640);
    EXPECT_EQ(start.Height(), 480);
    ExpectMapBox(start);
    ExpectDotAt(start, 502, 208);
    ExpectTitle(start);
    ExpectFigureLines(start);
    ExpectNothingOutsideTheOverlayAndView(start);
    // The walls fill most of the view; the wall behind the player is seen from its back.
    EXPECT_GT(start.Lit(0, 60, 480, 420), 480 * 360 / 2);

    // One cell forward: the dot is one map step higher, the overlay unchanged, the view new.
    const Picture walked = Picture::FromPng(Path("walked.png"));
    ASSERT_TRUE(walked.Loaded());
    ExpectMapBox(walked);
    ExpectDotAt(walked, 502, 196);
    ExpectTitle(walked);
    ExpectNothingOutsideTheOverlayAndView(walked);
    EXPECT_GT(start.Differing(walked), 9000);

    // A quarter turn keeps the cell.
    const Picture turned = Picture::FromPng(Path("turned.png"));
    ASSERT_TRUE(turned.Loaded());
    ExpectDotAt(turned, 502, 196);
    EXPECT_FLOAT_EQ(mazeScene.heading, 90.0f);
}

TEST_F(MazePictures, AShotThatCannotBeWrittenFailsTheRun) {
    replay::Options options;
    options.dataDirectory = KR_DATA_DIR;
    options.frames = 3;
    options.shots = {{2, Path("missing-folder/shot.png")}};
    const replay::Outcome outcome = replay::Run(options);
    EXPECT_TRUE(outcome.quitNormally);
    EXPECT_FALSE(outcome.shotsWritten);
}

}  // namespace
