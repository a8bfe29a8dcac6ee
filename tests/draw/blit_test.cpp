#include <vector>

#include "draw/draw_fixture.h"
#include "platform/gdi/gdi.h"

namespace {

using krDraw::display;
using krDraw::sprites;

// Each column of the 100 by 100 picture has its own colour; the left half of row 0 is black.
assets::Rgb ColumnRgb(int x, int y) {
    return {static_cast<uint8_t>(8 * (x % 30) + 8), static_cast<uint8_t>(y * 2),
            static_cast<uint8_t>(x < 50 ? 0 : 255)};
}

// The picture's colour as the 5-6-5 display holds it.
COLORREF ColumnColour(int x, int y) {
    const assets::Rgb c = ColumnRgb(x, y);
    return pixels::Unpack(pixels::kRgb565, pixels::Pack(pixels::kRgb565, RGB(c.r, c.g, c.b)));
}

class BlitTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        assets::Picture columnsPicture(100, 100);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                columnsPicture.at(x, y) = ColumnRgb(x, y);
        WriteBitmap("COLUMNS.BMP", columnsPicture);
        // A 4 by 4 sprite: a black (keyed) border around a red 2 by 2 centre.
        assets::Picture sprite(4, 4);
        sprite.FillRect(1, 1, 3, 3, {255, 0, 0});
        WriteBitmap("KEYED.BMP", sprite);
        ASSERT_EQ(OpenDisplay(), 1);
        Paint(display.back, kGreen);
        columns = krDraw::LoadObject("COLUMNS.BMP");
        keyed = krDraw::LoadObject("KEYED.BMP");
        ASSERT_NE(columns, 0);
        ASSERT_NE(keyed, 0);
    }
    int32_t columns = 0, keyed = 0;
};

// Rectangles over each edge of the screen, inside a narrower clip and wholly below it: what is
// left is drawn from the matching source pixel, nothing else.
TEST_F(BlitTest, OverlapsAreCutAtEveryEdgeAndTheClip) {
    const struct {
        RECT clip;
        int32_t x, y, r, b, drawn;
        POINT first, last;  // the Back pixels of the cut rectangle's corners
    } cases[] = {
        {{0, 0, 640, 480}, 550, 0, 100, 10, 90 * 10, {550, 0}, {639, 9}},
        {{0, 0, 640, 480}, -10, 100, 100, 10, 90 * 10, {0, 100}, {89, 109}},
        {{0, 0, 640, 480}, 300, -10, 10, 100, 10 * 90, {300, 0}, {309, 89}},
        {{0, 0, 640, 480}, 400, 470, 10, 100, 10 * 10, {400, 470}, {409, 479}},
        {{100, 100, 200, 150}, 50, 50, 100, 100, 50 * 50, {100, 100}, {149, 149}},
        {{0, 0, 640, 480}, -30, 600, 100, 100, 0, {0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        Paint(display.back, kGreen);
        krDraw::SetClip(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        krDraw::PutObjectSolid(c.x, c.y, columns, 0, 0, c.r, c.b);
        krDraw::PutObject(c.x, c.y + 1000, columns, 0, 0, c.r, c.b);  // far below: nothing
        EXPECT_EQ(CountBack(kGreen), 640 * 480 - c.drawn) << c.x << "," << c.y;
        if (c.drawn == 0) continue;
        for (const POINT& p : {c.first, c.last})
            EXPECT_EQ(BackPixel(p.x, p.y), ColumnColour(p.x - c.x, p.y - c.y)) << p.x << "," << p.y;
    }
}

TEST_F(BlitTest, KeyedBlitsSkipTheKeyAndSolidOnesCopyIt) {
    krDraw::PutObject(10, 10, keyed, 0, 0, 4, 4);
    krDraw::PutObjectSolid(20, 10, keyed, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool centre = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(BackPixel(10 + x, 10 + y), centre ? kRed : kGreen) << x << "," << y;
            EXPECT_EQ(BackPixel(20 + x, 10 + y), centre ? kRed : kBlack) << x << "," << y;
        }
    }
    EXPECT_EQ(CountBack(kRed), 8);
}

TEST_F(BlitTest, TheThreeDPictureIsCopiedWithOrWithoutItsBlackKey) {
    Paint(display.surface3D, kBlue);
    const dd::DDBLTFX black{sizeof(dd::DDBLTFX), 0};
    const RECT hole{0, 0, 320, 480};
    display.surface3D->Blt(&hole, nullptr, nullptr, dd::DDBLT_COLORFILL, &black);
    krDraw::Put3D(0, 0, 0, 0, 640, 480);
    EXPECT_EQ(CountBack(kGreen), 320 * 480);
    EXPECT_EQ(CountBack(kBlue), 320 * 480);
    krDraw::Put3DSolid(0, 0, 0, 0, 640, 480);
    EXPECT_EQ(CountBack(kBlack), 320 * 480);
}

TEST_F(BlitTest, FillsUseRawValuesAndTheirRectangle) {
    krDraw::ClearRectWhite(10, 10, 20, 30);
    EXPECT_EQ(CountBack(kWhite), 200);
    krDraw::ClearRect(15, 10, 20, 30);
    EXPECT_EQ(CountBack(kWhite), 100);
    krDraw::ClearWhite();
    EXPECT_EQ(CountBack(kWhite), 640 * 480);
    krDraw::Clear();
    EXPECT_EQ(CountBack(kBlack), 640 * 480);
    krDraw::ClearRect(600, 400, 700, 500);  // outside the surface: refused, nothing drawn
    EXPECT_EQ(CountBack(kBlack), 640 * 480);
}

TEST_F(BlitTest, StretchDoublesWithTheKeyOnBothPaths) {
    for (int32_t stretch : {1, 0}) {
        display.stretch = stretch;
        Paint(display.back, kGreen);
        krDraw::StretchObject(100, 100, keyed, 0, 0, 4, 4, 8, 8);
        EXPECT_EQ(CountBack(kRed), 16) << stretch;
        EXPECT_EQ(BackPixel(102, 102), kRed) << stretch;
        EXPECT_EQ(BackPixel(105, 105), kRed) << stretch;
        EXPECT_EQ(BackPixel(101, 101), kGreen) << stretch;
        EXPECT_EQ(BackPixel(106, 106), kGreen) << stretch;
    }
}

TEST_F(BlitTest, MirrorReadsFromTheFarEdge) {
    krDraw::MirrorObject(0, 0, 1, columns, 0, 0, 64, 2);
    EXPECT_EQ(BackPixel(0, 0), ColumnColour(63, 0));
    EXPECT_EQ(BackPixel(63, 1), ColumnColour(0, 1));
    krDraw::MirrorObject(0, 10, 2, columns, 50, 0, 60, 20);
    EXPECT_EQ(BackPixel(0, 10), ColumnColour(50, 19));
    EXPECT_EQ(BackPixel(0, 29), ColumnColour(50, 0));
    krDraw::MirrorObject(0, 40, 3, columns, 50, 0, 60, 20);
    EXPECT_EQ(BackPixel(0, 40), ColumnColour(59, 19));
    krDraw::MirrorObject(0, 100, 0, columns, 60, 0, 70, 20);
    EXPECT_EQ(BackPixel(0, 100), ColumnColour(60, 0));
}

TEST_F(BlitTest, ADroppedBlitOnLostSurfacesDrawsNothingAndTheNextFrameDraws) {
    dd::LoseAllSurfaces();
    krDraw::PutObjectSolid(0, 0, keyed, 0, 0, 4, 4);
    EXPECT_EQ(display.back->IsLost(), dd::DD_OK);  // restored by the blit's RestoreAll
    Paint(display.back, kGreen);                   // a restored surface holds no picture
    EXPECT_EQ(CountBack(kRed), 0);
    krDraw::PutObjectSolid(0, 0, keyed, 0, 0, 4, 4);
    EXPECT_EQ(CountBack(kRed), 4);  // the bitmap was reloaded
}

TEST_F(BlitTest, NothingElseTouchesTheBackSurfaceWhileItsContextIsOut) {
    ASSERT_EQ(krDraw::GetBackDC(), dd::DD_OK);
    gdi::SetPixel(display.backDC, 5, 5, kRed);
    krDraw::PutObjectSolid(100, 100, keyed, 0, 0, 4, 4);
    krDraw::Clear();
    EXPECT_EQ(krDraw::ReleaseBackDC(), dd::DD_OK);
    EXPECT_EQ(BackPixel(5, 5), kRed);
    EXPECT_EQ(CountBack(kRed), 1);
    EXPECT_NE(krDraw::ReleaseBackDC(), dd::DD_OK);  // given back once only
}

TEST_F(BlitTest, BlitsWaitForABusyBlitter) {
    dd::test::AnswerStillDrawing(3);
    krDraw::PutObjectSolid(0, 0, keyed, 0, 0, 4, 4);
    EXPECT_EQ(CountBack(kRed), 4);
}

}  // namespace
