// The pictures a player sees, written by the replay's captures and read back pixel by pixel.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "maze_scene.h"
#include "replay.h"

namespace {

struct Rgb {
    int red, green, blue;
};

class Png {
  public:
    explicit Png(const std::string& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Png() { cairo_surface_destroy(surface_); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;

    bool Loaded() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(surface_); }
    int Height() const { return cairo_image_surface_get_height(surface_); }
    Rgb At(int x, int y) const {
        const unsigned char* row =
            cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        uint32_t pixel = 0;
        std::memcpy(&pixel, row + 4 * x, 4);
        return {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    }
    bool IsBlack(int x, int y) const {
        const Rgb c = At(x, y);
        return c.red == 0 && c.green == 0 && c.blue == 0;
    }
    // 5-6-5 white reads back a little below 255.
    bool IsWhite(int x, int y) const {
        const Rgb c = At(x, y);
        return c.red >= 250 && c.green >= 250 && c.blue >= 250;
    }
    bool IsRed(int x, int y) const {
        const Rgb c = At(x, y);
        return c.red >= 250 && c.green == 0 && c.blue == 0;
    }
    bool IsDarkBlue(int x, int y) const {
        const Rgb c = At(x, y);
        return c.red == 0 && c.green == 0 && c.blue > 100 && c.blue < 160;
    }
    int LitPixels(int left, int top, int right, int bottom) const {
        int lit = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                lit += IsBlack(x, y) ? 0 : 1;
        return lit;
    }

  private:
    cairo_surface_t* surface_;
};

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
void ExpectDotAt(const Png& picture, int left, int top) {
    EXPECT_TRUE(picture.IsRed(left + 1, top + 1)) << left << "," << top;
    EXPECT_TRUE(picture.IsRed(left + 7, top + 7)) << left << "," << top;
    EXPECT_TRUE(picture.IsBlack(left, top));
    EXPECT_TRUE(picture.IsBlack(left + 8, top + 8));
    int red = 0;
    for (int y = 122; y < 218; ++y)
        for (int x = 502; x < 598; ++x)
            red += picture.IsRed(x, y) ? 1 : 0;
    EXPECT_EQ(red, 49);  // one 7 by 7 square, nowhere else
}

void ExpectMapBox(const Png& picture) {
    for (int i = 0; i < 100; i += 7) {
        EXPECT_TRUE(picture.IsWhite(500 + i, 120)) << i;
        EXPECT_TRUE(picture.IsWhite(500, 120 + i)) << i;
        EXPECT_TRUE(picture.IsWhite(500 + i, 219)) << i;
        EXPECT_TRUE(picture.IsWhite(599, 120 + i)) << i;
        EXPECT_TRUE(picture.IsBlack(500 + i, 221)) << i;
        EXPECT_TRUE(picture.IsBlack(601, 120 + i)) << i;
        EXPECT_TRUE(picture.IsBlack(497, 120 + i)) << i;  // the pen straddles the edge
    }
}

// The title: glyphs from x 487, y 60, K first; 26 + 26 + 13 + 26 + 27 pixels wide.
void ExpectTitle(const Png& picture) {
    EXPECT_GT(picture.LitPixels(487, 60, 513, 105), 100);  // K
    EXPECT_GT(picture.LitPixels(539, 60, 552, 105), 50);   // I
    EXPECT_GT(picture.LitPixels(578, 60, 605, 105), 100);  // A
    EXPECT_EQ(picture.LitPixels(480, 40, 487, 120), 0);
    EXPECT_EQ(picture.LitPixels(605, 40, 640, 120), 0);
    EXPECT_EQ(picture.LitPixels(480, 40, 640, 60), 0);
}

// The frame-rate line and the polygon line under it, dark-blue boxes at the top left.
void ExpectFigureLines(const Png& picture) {
    EXPECT_TRUE(picture.IsDarkBlue(0, 0));
    EXPECT_TRUE(picture.IsDarkBlue(0, 20));
    EXPECT_GT(picture.LitPixels(0, 0, 200, 14) - picture.LitPixels(0, 0, 1, 14), 1000);
    EXPECT_EQ(picture.LitPixels(0, 40, 480, 60), 0);
}

void ExpectNothingOutsideTheOverlayAndView(const Png& picture) {
    EXPECT_EQ(picture.LitPixels(0, 420, 640, 480), 0);
    EXPECT_EQ(picture.LitPixels(480, 222, 640, 420), 0);
    EXPECT_EQ(picture.LitPixels(602, 106, 640, 420), 0);
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

    const Png start(Path("start.png"));
    ASSERT_TRUE(start.Loaded());
    EXPECT_EQ(start.Width(), 640);
    EXPECT_EQ(start.Height(), 480);
    ExpectMapBox(start);
    ExpectDotAt(start, 502, 208);
    ExpectTitle(start);
    ExpectFigureLines(start);
    ExpectNothingOutsideTheOverlayAndView(start);
    // The walls fill most of the view; the wall behind the player is seen from its back.
    EXPECT_GT(start.LitPixels(0, 60, 480, 420), 480 * 360 / 2);

    // One cell forward: the dot is one map step higher, the overlay unchanged, the view new.
    const Png walked(Path("walked.png"));
    ASSERT_TRUE(walked.Loaded());
    ExpectMapBox(walked);
    ExpectDotAt(walked, 502, 196);
    ExpectTitle(walked);
    ExpectNothingOutsideTheOverlayAndView(walked);
    int changed = 0;
    for (int y = 60; y < 420; y += 3)
        for (int x = 0; x < 480; x += 3) {
            const Rgb a = start.At(x, y), b = walked.At(x, y);
            changed += (a.red != b.red || a.green != b.green || a.blue != b.blue) ? 1 : 0;
        }
    EXPECT_GT(changed, 1000);

    // A quarter turn keeps the cell.
    const Png turned(Path("turned.png"));
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

// Surfaces lost after every 7th frame: the frames right after each loss, and later ones, show
// exactly what an uninterrupted run shows (the walls, the textures, the glyphs, the black around
// the 3D view), while the player walks and turns.
TEST_F(MazePictures, EverySurfaceLossIsRepairedByTheNextFrame) {
    const std::vector<int32_t> frames{7, 8, 9, 15, 64, 71, 72, 99};
    auto run = [&](const std::string& prefix, int32_t loseEvery) {
        replay::Options options;
        options.dataDirectory = KR_DATA_DIR;
        options.frames = 100;
        options.loseEvery = loseEvery;
        options.keys = {{60, 38, 1}, {70, 39, 1}, {80, 38, 1}};
        for (int32_t frame : frames)
            options.shots.push_back({frame, Path(prefix + std::to_string(frame) + ".png")});
        EXPECT_TRUE(replay::Run(options).shotsWritten);
    };
    run("steady-", 0);
    run("lost-", 7);
    for (int32_t frame : frames) {
        const Png steady(Path("steady-" + std::to_string(frame) + ".png"));
        const Png lost(Path("lost-" + std::to_string(frame) + ".png"));
        ASSERT_TRUE(steady.Loaded() && lost.Loaded());
        int differing = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const Rgb a = steady.At(x, y), b = lost.At(x, y);
                differing += a.red != b.red || a.green != b.green || a.blue != b.blue;
            }
        EXPECT_EQ(differing, 0) << "frame " << frame;
    }
}

}  // namespace
