#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/gdi/gdi.h"
#include "platform/gdi_canvas.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
const pixels::Format kFormats[] = {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888};

bool In(int value, int low, int high) {
    return value >= low && value <= high;
}

// A pen and a brush made for the drawing, over an odd background colour; PutBack selects the
// stock ones again and deletes them.
struct Tools {
    int penStyle, penWidth;
    gdi::LOGBRUSH brush;
};

HDC Select(HDC dc, const Tools& tools, COLORREF line) {
    gdi::SelectObject(dc, gdi::CreatePen(tools.penStyle, tools.penWidth, line));
    gdi::SelectObject(dc, gdi::CreateBrushIndirect(&tools.brush));
    gdi::SetBkColor(dc, RGB(1, 2, 3));
    return dc;
}

void PutBack(HDC dc) {
    EXPECT_EQ(gdi::DeleteObject(gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_PEN))), TRUE);
    EXPECT_EQ(gdi::DeleteObject(gdi::SelectObject(dc, gdi::GetStockObject(gdi::WHITE_BRUSH))),
              TRUE);
}

// The outline's corners as Rectangle places them: through the last row and column inside, or a
// wide inside-frame pen's centre inside the rectangle.
void DrawAsPolygon(HDC dc, const Tools& shape, RECT r) {
    const int inside = shape.penStyle == gdi::PS_INSIDEFRAME ? shape.penWidth / 2 : 0;
    const int insideFar = shape.penStyle == gdi::PS_INSIDEFRAME ? (shape.penWidth - 1) / 2 : 0;
    const int left = std::min(r.left, r.right) + inside, top = std::min(r.top, r.bottom) + inside;
    const int right = std::max(r.left, r.right) - insideFar - 1;
    const int bottom = std::max(r.top, r.bottom) - insideFar - 1;
    const POINT corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    gdi::Polygon(dc, corners, 4);
}

// Rectangle writes axis-aligned boxes with square pen corners straight into the surface; the
// same outline drawn as a polygon goes through cairo's mask and must give the same pixels.
TEST(GdiRectangle, DirectBoxesHaveTheMasksPixels) {
    const gdi::LOGBRUSH solid{gdi::BS_SOLID, 0, 0}, none{gdi::BS_NULL, 0, 0};
    const gdi::LOGBRUSH hatched{gdi::BS_HATCHED, 0, gdi::HS_DIAGCROSS};
    const Tools cases[] = {
        {gdi::PS_SOLID, 1, solid},       {gdi::PS_SOLID, 2, solid},
        {gdi::PS_SOLID, 3, solid},       {gdi::PS_SOLID, 2, none},
        {gdi::PS_SOLID, 3, hatched},     {gdi::PS_INSIDEFRAME, 2, solid},
        {gdi::PS_INSIDEFRAME, 3, solid}, {gdi::PS_NULL, 1, solid},
        {gdi::PS_NULL, 1, hatched},      {gdi::PS_SOLID, 1, none},
    };
    std::mt19937 random(15);
    std::uniform_int_distribution<int> coordinate(-6, 30), channel(0, 255);
    const auto byte = [&] { return static_cast<uint8_t>(channel(random)); };
    const auto colour = [&] { return RGB(byte(), byte(), byte()); };
    for (const pixels::Format& format : kFormats) {
        for (const Tools& shape : cases) {
            for (int trial = 0; trial < 60; ++trial) {
                const COLORREF background = colour(), line = colour();
                Tools coloured = shape;
                coloured.brush.lbColor = colour();
                const RECT r{coordinate(random), coordinate(random), coordinate(random),
                             coordinate(random)};
                Canvas direct(24, 20, format, background), mask(24, 20, format, background);
                gdi::Rectangle(Select(direct.dc(), coloured, line), r.left, r.top, r.right,
                               r.bottom);
                DrawAsPolygon(Select(mask.dc(), coloured, line), coloured, r);
                for (const Canvas* drawn : {&direct, &mask})
                    PutBack(drawn->dc());
                ExpectPicture(direct, [&](int x, int y) { return mask.At(x, y); });
                ASSERT_FALSE(HasFailure()) << "case " << &shape - cases << " rectangle " << r.left
                                           << "," << r.top << "," << r.right << "," << r.bottom;
            }
        }
    }
}

// The end point is left out in every direction; far-away ends draw only the visible part.
TEST(GdiLines, LinesLeaveTheirEndPointAndClipFarEnds) {
    Canvas canvas(16, 16, pixels::kRgb565, kWhite);
    POINT previous{};
    const POINT lines[][2] = {{{2, 2}, {12, 2}},
                              {{12, 2}, {12, 12}},
                              {{12, 12}, {2, 12}},
                              {{2, 12}, {2, 2}},
                              {{4, 4}, {8, 8}},
                              {{9, 14}, {3, 14}},
                              {{-2000000000, 15}, {2000000000, 15}},
                              {{2000000000, -1999999986}, {-2000000000, 2000000014}}};
    for (const auto& [from, to] : lines) {
        gdi::MoveToEx(canvas.dc(), from.x, from.y, &previous);
        gdi::LineTo(canvas.dc(), to.x, to.y);
    }
    EXPECT_EQ(std::pair(previous.x, previous.y), std::pair(2000000000, 15));  // the line before
    ExpectPicture(canvas, [](int x, int y) {
        const bool frame =
            ((y == 2 || y == 12) && In(x, 2, 12)) || ((x == 2 || x == 12) && In(y, 2, 12));
        const bool drawn = frame || (x == y && In(x, 4, 7)) || (y == 14 && In(x, 4, 9));
        return drawn || y == 15 || x + y == 14 ? kBlack : kWhite;
    });
}

// Pens wider than any coordinate and shapes hanging over every edge stay inside the surface.
TEST(GdiLines, HugePensAndShapesOverTheEdgesStayInside) {
    for (const int width : {5, 1 << 24, INT32_MAX}) {
        for (const pixels::Format& format : kFormats) {
            Canvas canvas(8, 8, format, kWhite);
            HDC dc = Select(canvas.dc(), {gdi::PS_SOLID, width, {gdi::BS_SOLID, kBlue, 0}}, kRed);
            gdi::MoveToEx(dc, -2000000000, -5, nullptr);
            gdi::LineTo(dc, 2000000000, 1999999999);
            gdi::Rectangle(dc, -5, -5, 15, 15);
            gdi::Rectangle(dc, INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX);
            const POINT points[] = {{-20, 5}, {5, -20}, {30, 5}, {5, 30}};
            gdi::Polygon(dc, points, 4);
            gdi::PolyBezier(dc, points, 4);
            PutBack(dc);
            EXPECT_TRUE(canvas.GuardIntact());
            EXPECT_EQ(canvas.Count(kRed) == 8 * 8, width > 5) << width;
        }
    }
}

TEST(GdiPolygon, FillModesFillPixelCentresAndTheOutlineClosesThePolygon) {
    Canvas star(40, 40, pixels::kRgb565, kWhite);
    gdi::SelectObject(star.dc(), gdi::GetStockObject(gdi::NULL_PEN));
    gdi::SelectObject(star.dc(), gdi::GetStockObject(gdi::BLACK_BRUSH));
    // A pentagram: its centre is inside once more than its points are.
    const POINT points[] = {{20, 2}, {32, 38}, {2, 15}, {38, 15}, {8, 38}};
    EXPECT_EQ(gdi::Polygon(star.dc(), points, 5), TRUE);
    EXPECT_EQ(std::pair(star.At(20, 20), star.At(20, 8)), std::pair(kWhite, kBlack));
    EXPECT_EQ(gdi::SetPolyFillMode(star.dc(), gdi::WINDING), gdi::ALTERNATE);
    gdi::Polygon(star.dc(), points, 5);
    EXPECT_EQ(star.At(20, 20), kBlack);
    EXPECT_EQ(gdi::Polygon(star.dc(), points, 1), FALSE);
    Canvas canvas(16, 16, pixels::kRgb888, kWhite);
    const POINT triangle[] = {{2, 2}, {12, 2}, {2, 12}};  // a pen of width 0 is one pixel wide
    gdi::Polygon(Select(canvas.dc(), {gdi::PS_SOLID, 0, {gdi::BS_SOLID, kBlack, 0}}, kRed),
                 triangle, 3);
    PutBack(canvas.dc());
    ExpectPicture(canvas, [](int x, int y) {
        if (x < 2 || y < 2 || x + y > 14) return kWhite;
        return x == 2 || y == 2 || x + y == 14 ? kRed : kBlack;
    });
}

}  // namespace
