#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "platform/gdi/gdi.h"
#include "platform/gdi_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kNavy = RGB(0, 0, 0x84), kGreen = RGB(0, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);

gdi::LOGFONT Description(const char* face, LONG height, LONG escapement = 0) {
    gdi::LOGFONT font{};
    font.lfHeight = height;
    font.lfEscapement = escapement;
    font.lfWeight = gdi::FW_NORMAL;
    font.lfCharSet = gdi::SHIFTJIS_CHARSET;
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    return font;
}

// A font selected into a canvas for the test's scope, as the framework's text scopes do.
struct SelectedFont {
    SelectedFont(HDC context, const gdi::LOGFONT& description)
        : dc(context),
          font(gdi::CreateFontIndirect(&description)),
          previous(gdi::SelectObject(context, font)) {}
    ~SelectedFont() {
        gdi::SelectObject(dc, previous);
        EXPECT_EQ(gdi::DeleteObject(font), TRUE);
    }
    HDC dc;
    HFONT font;
    HGDIOBJ previous;
};

// The smallest box holding every pixel that is not the colour.
RECT Extent(const Canvas& canvas, COLORREF background) {
    RECT box{1 << 20, 1 << 20, -1, -1};
    for (int y = 0; y < canvas.view().height; ++y) {
        for (int x = 0; x < canvas.view().width; ++x) {
            if (canvas.At(x, y) == background) continue;
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                   std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        }
    }
    return box;
}

void Print(HDC dc, int x, int y, const std::string& text) {
    EXPECT_EQ(gdi::TextOut(dc, x, y, text.data(), static_cast<int>(text.size())), TRUE);
}

// The system's face names map to the Japanese faces (an empty name to the gothic one); weight,
// italic and underline each change the ink; a weight of "don't care" is normal.
TEST(GdiText, FaceNamesAndStylesChooseTheGlyphs) {
    const auto ink = [](const char* face, void (*change)(gdi::LOGFONT&)) {
        Canvas canvas(180, 20, pixels::kRgb888, kWhite);
        gdi::LOGFONT description = Description(face, 16);
        change(description);
        SelectedFont font(canvas.dc(), description);
        gdi::SetBkMode(canvas.dc(), gdi::TRANSPARENT);
        Print(canvas.dc(), 0, 0, "Illustrate 漢字あア");
        return canvas.Pixels();
    };
    const auto plain = [](gdi::LOGFONT&) {};
    const auto regular = ink("標準ゴシック", plain);
    EXPECT_EQ(ink("IPAGothic", plain), regular);
    EXPECT_EQ(ink("", plain), regular);
    EXPECT_EQ(ink("標準明朝", plain), ink("IPAMincho", plain));
    EXPECT_NE(ink("標準明朝", plain), regular);
    EXPECT_NE(ink("標準ゴシック", [](gdi::LOGFONT& f) { f.lfWeight = gdi::FW_BOLD; }), regular);
    EXPECT_NE(ink("標準ゴシック", [](gdi::LOGFONT& f) { f.lfItalic = 1; }), regular);
    EXPECT_NE(ink("標準ゴシック", [](gdi::LOGFONT& f) { f.lfUnderline = 1; }), regular);
    EXPECT_EQ(ink("標準ゴシック", [](gdi::LOGFONT& f) { f.lfWeight = gdi::FW_DONTCARE; }), regular);
}

TEST(GdiText, EscapementTurnsTheTextCounterClockwise) {
    Canvas canvas(60, 120, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12, 900));
    gdi::SetBkColor(canvas.dc(), kNavy);
    Print(canvas.dc(), 20, 100, "upward text");  // 11 characters: 66 pixels up from y = 100
    const RECT box = Extent(canvas, kGreen);
    EXPECT_EQ(std::tuple(box.left, box.top, box.right, box.bottom), std::tuple(20, 34, 32, 100));
}

// Wrapped text is cut at its rectangle and answers its whole height; boxes wider than pango can
// measure wrap nothing.
TEST(GdiDrawText, WrappedTextStaysInsideItsRectangle) {
    Canvas canvas(200, 60, pixels::kRgb888, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    const char paragraph[] = "the quick brown fox jumps over the lazy dog again and again";
    const UINT wrap = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;
    RECT rect{10, 10, 100, 40};  // room for two and a half of its four lines
    EXPECT_EQ(gdi::DrawText(canvas.dc(), paragraph, -1, &rect, wrap), 48);
    const RECT box = Extent(canvas, kGreen);
    EXPECT_EQ(std::tuple(box.left, box.top, box.bottom), std::tuple(10, 10, 40));
    EXPECT_LE(box.right, 100);
    for (const LONG right : {LONG{2097152}, LONG{INT32_MAX}}) {
        RECT wide{INT32_MIN, 0, right, 0};
        EXPECT_EQ(gdi::DrawText(canvas.dc(), paragraph, -1, &wide, gdi::DT_CALCRECT | wrap), 12)
            << right;
    }
}

// Broken UTF-8 is drawn repaired; missing contexts and negative lengths are refused; a huge
// font's box covers the canvas, and text far away draws nothing.
TEST(GdiText, MalformedTextHugeFontsAndFarPositionsStayBounded) {
    Canvas canvas(100, 40, pixels::kRgb565, kGreen);
    const char broken[] = {'a', '\xE3', '\x81', 'b', '\xFF'};
    Print(canvas.dc(), 0, 0, std::string(broken, sizeof broken));
    EXPECT_GT(canvas.Count(kBlack), 0);
    EXPECT_EQ(gdi::TextOut(nullptr, 0, 0, "a", 1), FALSE);
    EXPECT_EQ(gdi::TextOut(canvas.dc(), 0, 0, "a", -1), FALSE);
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(gdi::DrawText(nullptr, "a", -1, &rect, 0), 0);
    EXPECT_EQ(gdi::CreateFontIndirect(nullptr), nullptr);
    {
        SelectedFont font(canvas.dc(), Description("標準ゴシック", 1000000));
        Print(canvas.dc(), 0, 0, "W");
    }
    EXPECT_EQ(canvas.Count(kGreen), 0);
    canvas.Fill(kGreen);
    Print(canvas.dc(), 2000000000, 0, "far");
    Print(canvas.dc(), -2000000000, -2000000000, "far");
    EXPECT_EQ(canvas.Count(kGreen), 100 * 40);
    EXPECT_TRUE(canvas.GuardIntact());
}

}  // namespace
