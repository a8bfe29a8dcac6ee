#include <kr/font.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "draw/draw_fixture.h"
#include "text/font_state.h"

namespace {

using krDraw::display;

const COLORREF kCyan = RGB(0, 255, 255);

class FontTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        EXPECT_EQ(krFont::Begin(1, 12, 0, 0, 0, 0), nullptr);  // no display yet: no scope
        EXPECT_EQ(krFont::Print(0, 0, "a"), FALSE);
        krFont::End();
        ASSERT_EQ(OpenDisplay(), 1);
        Paint(display.back, kCyan);
    }
    static std::string Face() { return krFontState.description->lfFaceName; }
};

// The description comes zeroed with the display; Begin writes only its own fields, and a face
// other than 0 and 1 keeps the last one named.
TEST_F(FontTest, BeginWritesOnlyItsFieldsAndKeepsTheFaceAcrossScopes) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(krFontState.description);
    EXPECT_TRUE(std::all_of(bytes, bytes + 60, [](uint8_t b) { return b == 0; }));
    const gdi::LOGFONT& font = *krFontState.description;
    const struct {
        int32_t face, angle, weight;
        const char* name;
        LONG escapement, fontWeight;
    } cases[] = {
        {2, 0, 0, "", 0, gdi::FW_NORMAL},
        {1, 90, 2, "標準ゴシック", 900, gdi::FW_DONTCARE},
        {2, 0, 1, "標準ゴシック", 0, gdi::FW_BOLD},
        {0, INT32_MAX, 0, "標準明朝", INT32_MAX % 360 * 10, gdi::FW_NORMAL},  // never wrapped
        {0, INT32_MIN, 0, "標準明朝", INT32_MIN % 360 * 10, gdi::FW_NORMAL},
    };
    for (const auto& c : cases) {
        krFont::Begin(c.face, -20, c.angle, c.weight, 1, 1);
        EXPECT_EQ(Face(), c.name) << c.face;
        EXPECT_EQ(font.lfEscapement, c.escapement) << c.angle;
        EXPECT_EQ(font.lfWeight, c.fontWeight) << c.weight;
        EXPECT_EQ(font.lfHeight, -20);
        EXPECT_EQ(font.lfOrientation, 0);
        EXPECT_EQ(font.lfItalic + font.lfUnderline, 2);
        EXPECT_EQ(font.lfCharSet, 128);
        krFont::End();
    }
}

// Opaque text stands on its box of the background colour, transparent text shows only glyphs.
TEST_F(FontTest, TransparentTextLeavesTheBoxUnpainted) {
    const COLORREF navy = pixels::Unpack(pixels::kRgb565, pixels::Pack(pixels::kRgb565, 0x800000));
    for (int32_t transparent : {0, 1}) {
        krFont::Begin(1, 12, 0, 0, 0, 0);
        krFont::SetColor(0xFFFFFF, 0x800000, transparent);
        EXPECT_EQ(krFont::Print(10, 20 + 20 * transparent, "漢字 ok"), TRUE);
        EXPECT_EQ(krFont::End(), dd::DD_OK);
    }
    EXPECT_EQ(BackPixel(10, 20), navy);
    EXPECT_EQ(BackPixel(10 + 24 + 17, 31), navy);  // counted in bytes: all 10 of them are drawn
    EXPECT_EQ(BackPixel(10 + 24 + 18, 31), kCyan);
    EXPECT_EQ(BackPixel(10, 40), kCyan);
    EXPECT_EQ(CountBack(kWhite) % 2, 0);  // the same glyphs twice
}

// Right-aligned and centred boxes ("a&b" is three characters, no prefix); alignment 3 draws
// nothing but the rectangle is stored all the same.
TEST_F(FontTest, BoxesWrapAlignAndMeasureAndAlignmentThreeDrawsNothing) {
    const char text[] = "the quick brown fox jumps over the lazy dog again and again";
    krFont::Begin(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(krFont::MeasureBox(0, 0, 90, 10, text), 48);
    EXPECT_EQ(krFontState.measure.bottom, 48);
    EXPECT_EQ(krFont::MeasureBox(0, 0, 90, 10, ""), 12);
    EXPECT_EQ(krFont::PrintBox(0, 100, 200, 200, "abc", 3), 0);
    EXPECT_EQ(krFontState.box.bottom, 200);
    krFont::End();
    EXPECT_EQ(CountBack(kCyan), 640 * 480);
    krFont::Begin(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(krFont::PrintBox(0, 100, 100, 200, "abc", 2), 12);
    EXPECT_EQ(krFont::PrintBox(0, 300, 100, 400, "a&b", 1), 12);
    krFont::End();
    for (const auto& [x, y, blank] : {std::tuple{81, 100, true},
                                      {82, 100, false},
                                      {99, 100, false},
                                      {40, 300, true},
                                      {41, 300, false},
                                      {58, 300, false},
                                      {59, 300, true}})
        EXPECT_EQ(BackPixel(x, y) == kCyan, blank) << x << "," << y;
}

TEST_F(FontTest, AScopeOnLostSurfacesDrawsNothingAndClosesCleanly) {
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
