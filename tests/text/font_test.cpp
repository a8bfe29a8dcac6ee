#include <kr/font.h>

#include <cstring>
#include <string>

#include "draw/draw_fixture.h"
#include "text/font_state.h"

namespace {

using krDraw::display;

const COLORREF kCyan = RGB(0, 255, 255);

using FontTest = DrawTest;

std::string Face() {
    return krFontState.description->lfFaceName;
}

// The quit's free of the block is checked with the order of every module's release.
TEST_F(FontTest, TheFontDescriptionComesZeroedWithTheDisplay) {
    EXPECT_EQ(krFont::Begin(1, 12, 0, 0, 0, 0), nullptr);  // no display yet: no scope
    EXPECT_EQ(krFont::Print(0, 0, "a"), FALSE);
    krFont::End();
    ASSERT_EQ(OpenDisplay(), 1);
    ASSERT_NE(krFontState.description, nullptr);
    const auto* bytes = reinterpret_cast<const uint8_t*>(krFontState.description);
    EXPECT_TRUE(std::all_of(bytes, bytes + 60, [](uint8_t b) { return b == 0; }));
}

TEST_F(FontTest, BeginWritesOnlyItsFieldsAndKeepsTheFaceAcrossScopes) {
    ASSERT_EQ(OpenDisplay(), 1);
    krFont::Begin(2, 12, 0, 0, 0, 0);
    EXPECT_EQ(Face(), "");  // a first face-2 scope leaves the name empty
    krFont::End();
    krFont::Begin(1, -20, 90, 2, 1, 1);
    const gdi::LOGFONT& font = *krFontState.description;
    EXPECT_EQ(Face(), "標準ゴシック");
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfEscapement, 900);
    EXPECT_EQ(font.lfOrientation, 0);
    EXPECT_EQ(font.lfWeight, gdi::FW_DONTCARE);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfCharSet, 128);
    krFont::End();
    krFont::Begin(2, 12, 0, 1, 0, 0);
    EXPECT_EQ(Face(), "標準ゴシック");
    EXPECT_EQ(font.lfWeight, gdi::FW_BOLD);
    krFont::End();
    krFont::Begin(0, 12, 0, 0, 0, 0);
    EXPECT_EQ(Face(), "標準明朝");
    EXPECT_EQ(font.lfWeight, gdi::FW_NORMAL);
    krFont::End();
    // Angles beyond a turn give the same escapement as within it, never a wrapped one.
    krFont::Begin(0, 12, INT32_MAX, 0, 0, 0);
    EXPECT_EQ(font.lfEscapement, INT32_MAX % 360 * 10);
    krFont::End();
    krFont::Begin(0, 12, INT32_MIN, 0, 0, 0);
    EXPECT_EQ(font.lfEscapement, INT32_MIN % 360 * 10);
    krFont::End();
}

// One line in the overlay style at (x, y), opaque or transparent.
void PrintLine(int32_t x, int32_t y, const char* text, int32_t transparent) {
    krFont::Begin(1, 12, 0, 0, 0, 0);
    krFont::SetColor(0xFFFFFF, 0x800000, transparent);
    EXPECT_EQ(krFont::Print(x, y, text), TRUE);
    EXPECT_EQ(krFont::End(), dd::DD_OK);
}

TEST_F(FontTest, OpaqueTextStandsOnItsBoxAndTransparentTextShowsOnlyGlyphs) {
    ASSERT_EQ(OpenDisplay(), 1);
    const COLORREF navy = pixels::Unpack(pixels::kRgb565, pixels::Pack(pixels::kRgb565, 0x800000));
    Paint(display.back, kCyan);
    PrintLine(10, 20, "漢字 ok", 0);  // counted in bytes: all 10 of them are drawn
    int glyphs = 0;
    for (int y = 15; y < 40; ++y) {
        for (int x = 0; x < 80; ++x) {
            const COLORREF pixel = BackPixel(x, y);
            const bool inBox = x >= 10 && x < 10 + 24 + 18 && y >= 20 && y < 32;
            EXPECT_EQ(pixel == kCyan, !inBox) << x << " " << y;
            EXPECT_TRUE(!inBox || pixel == navy || pixel == kWhite);
            glyphs += pixel == kWhite ? 1 : 0;
        }
    }
    Paint(display.back, kCyan);
    PrintLine(10, 20, "漢字 ok", 1);
    EXPECT_EQ(CountBack(kWhite), glyphs);
    EXPECT_EQ(CountBack(kCyan), 640 * 480 - glyphs);
}

TEST_F(FontTest, BoxesWrapAlignAndMeasureAndAlignmentThreeDrawsNothing) {
    ASSERT_EQ(OpenDisplay(), 1);
    Paint(display.back, kCyan);
    const char text[] = "the quick brown fox jumps over the lazy dog again and again";
    krFont::Begin(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(krFont::MeasureBox(0, 0, 90, 10, text), 48);
    EXPECT_EQ(krFontState.measure.bottom, 48);
    EXPECT_EQ(krFont::MeasureBox(0, 0, 90, 10, ""), 12);
    EXPECT_EQ(krFont::PrintBox(0, 0, 90, 10, "", 0), 12);
    EXPECT_EQ(krFont::PrintBox(0, 100, 200, 200, "abc", 3), 0);
    EXPECT_EQ(krFontState.box.left, 0);  // stored all the same
    EXPECT_EQ(krFontState.box.bottom, 200);
    krFont::End();
    EXPECT_EQ(CountBack(kCyan), 640 * 480);
    krFont::Begin(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(krFont::PrintBox(0, 100, 100, 200, "abc", 2), 12);
    EXPECT_EQ(krFont::PrintBox(0, 300, 100, 400, "a&b", 1), 12);
    krFont::End();
    EXPECT_EQ(BackPixel(81, 100), kCyan);
    EXPECT_NE(BackPixel(82, 100), kCyan);
    EXPECT_NE(BackPixel(99, 100), kCyan);
    EXPECT_EQ(BackPixel(40, 300), kCyan);  // "a&b" is three characters, centred: 41 to 59
    EXPECT_NE(BackPixel(41, 300), kCyan);
    EXPECT_NE(BackPixel(58, 300), kCyan);
    EXPECT_EQ(BackPixel(59, 300), kCyan);
}

TEST_F(FontTest, AScopeOnLostSurfacesDrawsNothingAndClosesCleanly) {
    ASSERT_EQ(OpenDisplay(), 1);
    dd::LoseAllSurfaces();
    krFont::Begin(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(krFontState.dc, nullptr);
    krFont::SetColor(0xFFFFFF, 0, 0);
    EXPECT_EQ(krFont::Print(0, 0, "lost"), FALSE);
    EXPECT_EQ(krFont::PrintBox(0, 0, 100, 100, "lost", 0), 0);
    EXPECT_NE(krFont::End(), dd::DD_OK);
    EXPECT_EQ(krFontState.font, nullptr);
    krDraw::RestoreAll();
    krFont::Begin(1, 12, 0, 0, 0, 0);
    krFont::Begin(1, 12, 0, 0, 0, 0);  // a scope left open is closed, not leaked
    EXPECT_NE(krFontState.dc, nullptr);
    EXPECT_EQ(krFont::End(), dd::DD_OK);
}

}  // namespace
