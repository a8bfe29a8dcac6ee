#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
class SelectedFont {
  public:
    SelectedFont(HDC dc, const gdi::LOGFONT& description)
        : dc_(dc), font_(gdi::CreateFontIndirect(&description)) {
        previous_ = gdi::SelectObject(dc_, font_);
    }
    ~SelectedFont() {
        gdi::SelectObject(dc_, previous_);
        EXPECT_EQ(gdi::DeleteObject(font_), TRUE);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

  private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
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

TEST(GdiText, OpaqueBoxIsTheAdvanceWidthByTheCellHeight) {
    for (const pixels::Format& format : {pixels::kRgb565, pixels::kRgb888}) {
        Canvas canvas(200, 60, format, kGreen);
        SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
        gdi::SetTextColor(canvas.dc(), kWhite);
        gdi::SetBkColor(canvas.dc(), kNavy);
        Print(canvas.dc(), 10, 20, "Hello, 1.0 fps");  // half-width characters are 6 pixels
        const RECT box = Extent(canvas, kGreen);
        EXPECT_EQ(box.left, 10);
        EXPECT_EQ(box.top, 20);
        EXPECT_EQ(box.right, 10 + 14 * 6);
        EXPECT_EQ(box.bottom, 32);
        const int ink = canvas.Count(kWhite), paper = canvas.Count(kNavy);
        EXPECT_GT(ink, 50);
        EXPECT_EQ(ink + paper, 84 * 12);  // no antialiased shades in between
        EXPECT_TRUE(canvas.GuardIntact());
    }
}

TEST(GdiText, TransparentTextDrawsOnlyTheSameGlyphs) {
    Canvas opaque(120, 30, pixels::kRgb565, kGreen), clear(120, 30, pixels::kRgb565, kGreen);
    for (Canvas* canvas : {&opaque, &clear}) {
        SelectedFont font(canvas->dc(), Description("標準ゴシック", 12));
        gdi::SetTextColor(canvas->dc(), kBlack);
        if (canvas == &clear) gdi::SetBkMode(canvas->dc(), gdi::TRANSPARENT);
        Print(canvas->dc(), 3, 4, "KIRVA かな漢字");
    }
    EXPECT_GT(clear.Count(kBlack), 100);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool glyph = opaque.At(x, y) == kBlack;
            EXPECT_EQ(clear.At(x, y), glyph ? kBlack : kGreen);
        }
    }
    EXPECT_GT(opaque.Count(kWhite), 0);  // the default background colour
}

TEST(GdiText, CachedTextFollowsColoursFontsAndPosition) {
    Canvas first(100, 40, pixels::kRgb888, kGreen), second(100, 40, pixels::kRgb888, kGreen);
    {
        SelectedFont font(first.dc(), Description("標準ゴシック", 12));
        Print(first.dc(), 0, 0, "abc");
    }
    {
        SelectedFont font(second.dc(), Description("標準ゴシック", 24));
        gdi::SetTextColor(second.dc(), kNavy);
        Print(second.dc(), 5, 7, "abc");
        Print(second.dc(), -4, 30, "abc");  // hangs over the left and bottom edges
    }
    const RECT small = Extent(first, kGreen);
    EXPECT_EQ(small.right - small.left, 18);
    EXPECT_EQ(small.bottom - small.top, 12);
    // Boxes of 36 by 24 pixels at (5, 7) and at (-4, 30).
    EXPECT_EQ(Extent(second, kGreen).left, 0);
    EXPECT_EQ(Extent(second, kGreen).right, 41);
    EXPECT_EQ(Extent(second, kGreen).top, 7);
    EXPECT_EQ(second.At(41, 20), kGreen);
    EXPECT_NE(second.At(31, 39), kGreen);
    EXPECT_EQ(second.At(32, 39), kGreen);
    EXPECT_GT(second.Count(kNavy), first.Count(kBlack) * 2);
    EXPECT_TRUE(second.GuardIntact());
}

TEST(GdiText, FaceNamesMapToTheJapaneseFaces) {
    const auto picture = [](const char* face) {
        Canvas canvas(60, 20, pixels::kRgb565, kWhite);
        SelectedFont font(canvas.dc(), Description(face, 16));
        Print(canvas.dc(), 0, 0, "漢字あア");
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 60; ++x)
                pixels.push_back(canvas.At(x, y));
        }
        return pixels;
    };
    EXPECT_EQ(picture("標準ゴシック"), picture("IPAGothic"));
    EXPECT_EQ(picture("標準明朝"), picture("IPAMincho"));
    EXPECT_EQ(picture(""), picture("IPAGothic"));
    EXPECT_NE(picture("標準明朝"), picture("標準ゴシック"));
}

// The ink of one word drawn transparently in the font.
struct Inked {
    std::vector<COLORREF> pixels;
    RECT extent;
    int count;
};

Inked Ink(const gdi::LOGFONT& description) {
    Canvas canvas(90, 20, pixels::kRgb888, kWhite);
    SelectedFont font(canvas.dc(), description);
    gdi::SetBkMode(canvas.dc(), gdi::TRANSPARENT);
    Print(canvas.dc(), 0, 0, "Illustrate");
    Inked inked{{}, Extent(canvas, kWhite), canvas.Count(kBlack)};
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 90; ++x)
            inked.pixels.push_back(canvas.At(x, y));
    }
    return inked;
}

TEST(GdiText, WeightItalicAndUnderlineChangeTheGlyphs) {
    const gdi::LOGFONT plain = Description("標準ゴシック", 16);
    const Inked regular = Ink(plain);
    gdi::LOGFONT changed = plain;
    changed.lfUnderline = 1;
    EXPECT_GT(Ink(changed).extent.bottom, regular.extent.bottom);
    changed = plain;
    changed.lfWeight = gdi::FW_BOLD;
    EXPECT_GT(Ink(changed).count, regular.count);
    changed.lfWeight = gdi::FW_DONTCARE;
    EXPECT_EQ(Ink(changed).pixels, regular.pixels);
    changed = plain;
    changed.lfItalic = 1;
    EXPECT_NE(Ink(changed).pixels, regular.pixels);
}

TEST(GdiText, EscapementTurnsTheTextCounterClockwise) {
    Canvas canvas(60, 120, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12, 900));
    gdi::SetBkColor(canvas.dc(), kNavy);
    Print(canvas.dc(), 20, 100, "upward text");  // 11 characters: 66 pixels up from y = 100
    const RECT box = Extent(canvas, kGreen);
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.right, 32);
    EXPECT_EQ(box.bottom, 100);
    EXPECT_EQ(box.top, 100 - 66);
    EXPECT_GT(canvas.Count(kBlack), 50);
}

const char kParagraph[] = "the quick brown fox jumps over the lazy dog again and again";

TEST(GdiDrawText, CalcRectMeasuresWrappedLinesWithoutDrawing) {
    Canvas canvas(200, 200, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    RECT rect{10, 10, 100, 20};
    const int height = gdi::DrawText(canvas.dc(), kParagraph, -1, &rect,
                                     gdi::DT_CALCRECT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
    // 90 pixels hold 15 characters: "the quick brown" / "fox jumps over" / "the lazy dog" /
    // "again and again".
    EXPECT_EQ(height, 12 * 4);
    EXPECT_EQ(rect.bottom, 10 + height);
    EXPECT_LE(rect.right, 100);
    EXPECT_GE(rect.right, 10 + 14 * 6);
    EXPECT_EQ(canvas.Count(kGreen), 200 * 200);
    RECT line{0, 0, 300, 0};
    EXPECT_EQ(gdi::DrawText(canvas.dc(), "a b", -1, &line, gdi::DT_CALCRECT), 12);
    EXPECT_EQ(line.right, 18);
}

TEST(GdiDrawText, BoxesWiderThanPangoMeasuresWrapNothing) {
    Canvas canvas(20, 20, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    for (const LONG right : {LONG{2097152}, LONG{INT32_MAX}}) {
        RECT rect{INT32_MIN, 0, right, 0};
        EXPECT_EQ(gdi::DrawText(canvas.dc(), kParagraph, -1, &rect,
                                gdi::DT_CALCRECT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX),
                  12)
            << right;
    }
}

TEST(GdiDrawText, WrappedTextStaysInsideItsRectangleAndReturnsItsHeight) {
    Canvas canvas(200, 200, pixels::kRgb888, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    RECT rect{10, 10, 100, 40};  // room for two and a half lines
    const int height =
        gdi::DrawText(canvas.dc(), kParagraph, -1, &rect, gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
    EXPECT_EQ(height, 48);
    const RECT box = Extent(canvas, kGreen);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 10);
    EXPECT_LE(box.right, 100);
    EXPECT_EQ(box.bottom, 40);
}

TEST(GdiDrawText, CentredAndRightAlignedLines) {
    Canvas canvas(200, 60, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    gdi::SetBkColor(canvas.dc(), kNavy);
    RECT centre{0, 0, 100, 20};
    gdi::DrawText(canvas.dc(), "abc", -1, &centre, gdi::DT_CENTER | gdi::DT_WORDBREAK);
    RECT right{0, 30, 100, 50};
    gdi::DrawText(canvas.dc(), "abc", -1, &right, gdi::DT_RIGHT | gdi::DT_WORDBREAK);
    for (int x = 0; x < 200; ++x) {
        EXPECT_EQ(canvas.At(x, 0) == kNavy, x >= 41 && x < 59) << x;
        EXPECT_EQ(canvas.At(x, 30) == kNavy, x >= 82 && x < 100) << x;
    }
}

TEST(GdiDrawText, AmpersandsArePrefixesUnlessNoPrefix) {
    Canvas canvas(100, 20, pixels::kRgb565, kGreen);
    SelectedFont font(canvas.dc(), Description("標準ゴシック", 12));
    RECT rect{0, 0, 100, 20};
    gdi::DrawText(canvas.dc(), "a&&b&c", -1, &rect, gdi::DT_CALCRECT);
    EXPECT_EQ(rect.right, 4 * 6);
    rect = {0, 0, 100, 20};
    gdi::DrawText(canvas.dc(), "a&&b&c", -1, &rect, gdi::DT_CALCRECT | gdi::DT_NOPREFIX);
    EXPECT_EQ(rect.right, 6 * 6);
    rect = {0, 0, 100, 20};  // an empty text is one line high and no wide
    EXPECT_EQ(gdi::DrawText(canvas.dc(), "", -1, &rect, gdi::DT_CALCRECT), 12);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 12);
}

TEST(GdiText, MalformedTextAndContextsAreRefusedOrRepaired) {
    Canvas canvas(100, 20, pixels::kRgb565, kGreen);
    const char broken[] = {'a', '\xE3', '\x81', 'b', '\xFF'};
    Print(canvas.dc(), 0, 0, std::string(broken, sizeof broken));
    EXPECT_GT(canvas.Count(kBlack), 0);
    EXPECT_EQ(gdi::TextOut(nullptr, 0, 0, "a", 1), FALSE);
    EXPECT_EQ(gdi::TextOut(canvas.dc(), 0, 0, "a", -1), FALSE);
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(gdi::DrawText(nullptr, "a", -1, &rect, 0), 0);
    EXPECT_EQ(gdi::CreateFontIndirect(nullptr), nullptr);
}

TEST(GdiText, HugeFontsAndFarPositionsStayBounded) {
    Canvas canvas(100, 40, pixels::kRgb565, kGreen);
    {
        SelectedFont font(canvas.dc(), Description("標準ゴシック", 1000000));
        Print(canvas.dc(), 0, 0, "W");
    }
    EXPECT_EQ(canvas.Count(kGreen), 0);  // the background box covers everything
    canvas.Fill(kGreen);
    Print(canvas.dc(), 2000000000, 0, "far");
    Print(canvas.dc(), -2000000000, -2000000000, "far");
    EXPECT_EQ(canvas.Count(kGreen), 100 * 40);
    EXPECT_TRUE(canvas.GuardIntact());
}

}  // namespace
