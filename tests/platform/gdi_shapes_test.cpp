#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "platform/gdi/gdi.h"
#include "platform/gdi_canvas.h"

namespace {

const COLORREF kCyan = RGB(0, 255, 255), kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);
const pixels::Format kFormats[] = {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888};

using Model = std::function<COLORREF(int x, int y)>;

// Every pixel of the canvas against the expected picture.
void ExpectPicture(const Canvas& canvas, const Model& expected) {
    int wrong = 0;
    for (int y = 0; y < canvas.view().height; ++y) {
        for (int x = 0; x < canvas.view().width; ++x) {
            if (canvas.At(x, y) != expected(x, y) && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << canvas.At(x, y) << ", expected " << expected(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(canvas.GuardIntact());
}

bool In(int value, int low, int high) {
    return value >= low && value <= high;
}

struct Picture {
    RECT outline, fill;  // inclusive
    COLORREF outside, fillColour, lineColour;

    COLORREF operator()(int x, int y) const {
        const auto inside = [&](const RECT& r) {
            return In(x, r.left, r.right) && In(y, r.top, r.bottom);
        };
        if (inside(fill)) return fillColour;
        return inside(outline) ? lineColour : outside;
    }
};

// A box as the framework draws it: a solid brush, a pen of a width, Rectangle, and the old
// objects put back.
void Box(HDC dc, RECT r, COLORREF fill, COLORREF line, int width) {
    const gdi::LOGBRUSH logical{gdi::BS_SOLID, fill, 0};
    HBRUSH brush = gdi::CreateBrushIndirect(&logical);
    HPEN pen = gdi::CreatePen(gdi::PS_SOLID, width, line);
    HGDIOBJ oldBrush = gdi::SelectObject(dc, brush);
    HGDIOBJ oldPen = gdi::SelectObject(dc, pen);
    EXPECT_EQ(gdi::Rectangle(dc, r.left, r.top, r.right, r.bottom), TRUE);
    gdi::SelectObject(dc, oldPen);
    EXPECT_EQ(gdi::DeleteObject(pen), TRUE);
    gdi::SelectObject(dc, oldBrush);
    EXPECT_EQ(gdi::DeleteObject(brush), TRUE);
}

TEST(GdiRectangle, MapBoxIsBlackWithATwoPixelWhiteOutlineCentredOnTheEdges) {
    for (const pixels::Format& format : kFormats) {
        Canvas canvas(640, 480, format, kCyan);
        Box(canvas.dc(), {500, 120, 600, 220}, kBlack, kWhite, 2);
        ExpectPicture(canvas,
                      Picture{{499, 119, 599, 219}, {501, 121, 597, 217}, kCyan, kBlack, kWhite});
    }
}

TEST(GdiRectangle, ThinAndNullPensExcludeTheRightAndBottomEdges) {
    Canvas canvas(12, 12, pixels::kRgb565, kCyan);
    Box(canvas.dc(), {2, 3, 8, 10}, kBlue, kRed, 1);
    const Picture thin{{2, 3, 7, 9}, {3, 4, 6, 8}, kCyan, kBlue, kRed};
    ExpectPicture(canvas, thin);
    canvas.Fill(kCyan);
    HGDIOBJ old = gdi::SelectObject(canvas.dc(), gdi::GetStockObject(gdi::NULL_PEN));
    Box(canvas.dc(), {2, 3, 8, 10}, kBlue, kRed, 1);  // its pen is selected and put back
    gdi::SelectObject(canvas.dc(), gdi::GetStockObject(gdi::BLACK_BRUSH));
    EXPECT_EQ(gdi::Rectangle(canvas.dc(), 9, 9, 20, 20), TRUE);
    gdi::SelectObject(canvas.dc(), old);
    ExpectPicture(canvas, [&](int x, int y) {
        if (In(x, 9, 18) && In(y, 9, 18)) return kBlack;  // null pen: one pixel smaller
        return thin(x, y);
    });
}

// Rectangle writes axis-aligned boxes with square pen corners straight into the surface; the
// same outline drawn as a polygon goes through cairo's mask and must give the same pixels.
struct RectangleCase {
    int penStyle;
    int penWidth;
    gdi::LOGBRUSH brush;
};

HDC Select(HDC dc, const RectangleCase& shape, COLORREF line) {
    gdi::SelectObject(dc, gdi::CreatePen(shape.penStyle, shape.penWidth, line));
    gdi::SelectObject(dc, gdi::CreateBrushIndirect(&shape.brush));
    gdi::SetBkColor(dc, RGB(1, 2, 3));
    return dc;
}

void PutBack(HDC dc) {
    gdi::DeleteObject(gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_PEN)));
    gdi::DeleteObject(gdi::SelectObject(dc, gdi::GetStockObject(gdi::WHITE_BRUSH)));
}

// The outline's corners as Rectangle places them: through the last row and column inside, or a
// wide inside-frame pen's centre inside the rectangle.
void DrawAsPolygon(HDC dc, const RectangleCase& shape, RECT r) {
    const int inside = shape.penStyle == gdi::PS_INSIDEFRAME ? shape.penWidth / 2 : 0;
    const int insideFar = shape.penStyle == gdi::PS_INSIDEFRAME ? (shape.penWidth - 1) / 2 : 0;
    const int left = std::min(r.left, r.right) + inside, top = std::min(r.top, r.bottom) + inside;
    const int right = std::max(r.left, r.right) - insideFar - 1;
    const int bottom = std::max(r.top, r.bottom) - insideFar - 1;
    const POINT corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    gdi::Polygon(dc, corners, 4);
}

TEST(GdiRectangle, DirectBoxesHaveTheMasksPixels) {
    const gdi::LOGBRUSH solid{gdi::BS_SOLID, 0, 0}, none{gdi::BS_NULL, 0, 0};
    const gdi::LOGBRUSH hatched{gdi::BS_HATCHED, 0, gdi::HS_DIAGCROSS};
    const RectangleCase cases[] = {
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
        for (const RectangleCase& shape : cases) {
            for (int trial = 0; trial < 60; ++trial) {
                const COLORREF background = colour(), line = colour();
                RectangleCase coloured = shape;
                coloured.brush.lbColor = colour();
                const RECT r{coordinate(random), coordinate(random), coordinate(random),
                             coordinate(random)};
                Canvas direct(24, 20, format, background), mask(24, 20, format, background);
                gdi::Rectangle(Select(direct.dc(), coloured, line), r.left, r.top, r.right,
                               r.bottom);
                DrawAsPolygon(Select(mask.dc(), coloured, line), coloured, r);
                PutBack(direct.dc());
                PutBack(mask.dc());
                ExpectPicture(direct, [&](int x, int y) { return mask.At(x, y); });
                if (HasFailure()) {
                    FAIL() << "pen style " << shape.penStyle << " width " << shape.penWidth
                           << " brush " << shape.brush.lbStyle << " rectangle " << r.left << ","
                           << r.top << "," << r.right << "," << r.bottom;
                }
            }
        }
    }
}

TEST(GdiLines, TheEndPointIsNotDrawnInAnyDirection) {
    Canvas canvas(16, 16, pixels::kRgb565, kWhite);
    HDC dc = canvas.dc();
    POINT previous{};
    gdi::MoveToEx(dc, 2, 2, nullptr);
    gdi::LineTo(dc, 12, 2);   // right
    gdi::LineTo(dc, 12, 12);  // down
    gdi::LineTo(dc, 2, 12);   // left
    gdi::LineTo(dc, 2, 2);    // up: the start is the end point and stays white... drawn first
    gdi::MoveToEx(dc, 4, 4, &previous);
    EXPECT_EQ(previous.x, 2);
    EXPECT_EQ(previous.y, 2);
    gdi::LineTo(dc, 8, 8);  // diagonal
    ExpectPicture(canvas, [](int x, int y) {
        const bool frame =
            ((y == 2 || y == 12) && In(x, 2, 12)) || ((x == 2 || x == 12) && In(y, 2, 12));
        const bool diagonal = x == y && In(x, 4, 7);
        return frame || diagonal ? kBlack : kWhite;
    });
    canvas.Fill(kWhite);
    gdi::MoveToEx(dc, 9, 3, nullptr);
    gdi::LineTo(dc, 3, 3);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(canvas.At(x, 3), In(x, 4, 9) ? kBlack : kWhite) << x;
}

TEST(GdiLines, FarAwayEndsDrawOnlyTheVisiblePart) {
    Canvas canvas(8, 8, pixels::kRgb888, kWhite);
    gdi::MoveToEx(canvas.dc(), -2000000000, 5, nullptr);
    gdi::LineTo(canvas.dc(), 2000000000, 5);
    gdi::MoveToEx(canvas.dc(), -100, -100, nullptr);
    gdi::LineTo(canvas.dc(), 100, 100);
    gdi::MoveToEx(canvas.dc(), -2000000000, 2000000007, nullptr);  // steep: x = 7 - y
    gdi::LineTo(canvas.dc(), 2000000007, -2000000000);
    ExpectPicture(canvas,
                  [](int x, int y) { return y == 5 || x == y || x + y == 7 ? kBlack : kWhite; });
}

TEST(GdiLines, PensWiderThanAnyCoordinateCoverTheSurface) {
    for (const int width : {1 << 24, INT32_MAX}) {
        Canvas canvas(8, 8, pixels::kRgb888, kWhite);
        HPEN pen = gdi::CreatePen(gdi::PS_SOLID, width, kRed);
        HGDIOBJ old = gdi::SelectObject(canvas.dc(), pen);
        gdi::MoveToEx(canvas.dc(), 0, 0, nullptr);
        gdi::LineTo(canvas.dc(), 1, 0);
        gdi::Rectangle(canvas.dc(), INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX);
        gdi::SelectObject(canvas.dc(), old);
        gdi::DeleteObject(pen);
        EXPECT_EQ(canvas.Count(kRed), 8 * 8) << width;
    }
}

TEST(GdiLines, WidePensAreCentredWithRoundCaps) {
    Canvas canvas(20, 12, pixels::kRgb565, kWhite);
    HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 3, kRed);
    HGDIOBJ old = gdi::SelectObject(canvas.dc(), pen);
    gdi::MoveToEx(canvas.dc(), 5, 5, nullptr);
    gdi::LineTo(canvas.dc(), 14, 5);
    gdi::SelectObject(canvas.dc(), old);
    gdi::DeleteObject(pen);
    for (int x = 5; x <= 14; ++x) {
        for (int y = 2; y <= 8; ++y)
            EXPECT_EQ(canvas.At(x, y), In(y, 4, 6) ? kRed : kWhite);
    }
    // The round cap reaches one pixel past each end on the centre row, not on the corners.
    EXPECT_EQ(canvas.At(4, 5), kRed);
    EXPECT_EQ(canvas.At(15, 5), kRed);
    EXPECT_EQ(canvas.At(3, 5), kWhite);
    EXPECT_EQ(canvas.At(3, 3), kWhite);
}

// A pentagram: its centre is inside once more than its points are.
const POINT kStar[] = {{20, 2}, {32, 38}, {2, 15}, {38, 15}, {8, 38}};

TEST(GdiPolygon, AlternateFillLeavesTheStarsCentreAndWindingFillsIt) {
    Canvas canvas(40, 40, pixels::kRgb565, kWhite);
    HDC dc = canvas.dc();
    gdi::SelectObject(dc, gdi::GetStockObject(gdi::NULL_PEN));
    gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_BRUSH));
    EXPECT_EQ(gdi::Polygon(dc, kStar, 5), TRUE);
    EXPECT_EQ(canvas.At(20, 20), kWhite);  // centre
    EXPECT_EQ(canvas.At(20, 8), kBlack);   // top point
    EXPECT_EQ(canvas.At(0, 0), kWhite);
    EXPECT_EQ(gdi::SetPolyFillMode(dc, gdi::WINDING), gdi::ALTERNATE);
    gdi::Polygon(dc, kStar, 5);
    EXPECT_EQ(canvas.At(20, 20), kBlack);
    EXPECT_EQ(gdi::Polygon(dc, kStar, 1), FALSE);
}

TEST(GdiPolygon, FillFollowsPixelCentresAndTheOutlineClosesThePolygon) {
    Canvas canvas(16, 16, pixels::kRgb888, kWhite);
    gdi::SelectObject(canvas.dc(), gdi::GetStockObject(gdi::BLACK_BRUSH));
    HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 0, kRed);  // width 0 is one pixel
    HGDIOBJ old = gdi::SelectObject(canvas.dc(), pen);
    const POINT triangle[] = {{2, 2}, {12, 2}, {2, 12}};
    gdi::Polygon(canvas.dc(), triangle, 3);
    ExpectPicture(canvas, [](int x, int y) {
        if (x < 2 || y < 2 || x + y > 14) return kWhite;
        if (x == 2 || y == 2 || x + y == 14) return kRed;
        return kBlack;
    });
    gdi::SelectObject(canvas.dc(), old);
    gdi::DeleteObject(pen);
}

void HatchedSquare(HDC dc, COLORREF hatch) {
    HBRUSH brush = gdi::CreateHatchBrush(gdi::HS_DIAGCROSS, hatch);
    HGDIOBJ oldBrush = gdi::SelectObject(dc, brush);
    HGDIOBJ oldPen = gdi::SelectObject(dc, gdi::GetStockObject(gdi::NULL_PEN));
    const POINT square[] = {{3, 5}, {23, 5}, {23, 25}, {3, 25}};
    gdi::Polygon(dc, square, 4);
    gdi::SelectObject(dc, oldPen);
    gdi::SelectObject(dc, oldBrush);
    gdi::DeleteObject(brush);
}

TEST(GdiHatch, DiagonalCrossIsAnchoredAtTheOriginWithGapsInTheBackgroundWhenOpaque) {
    for (const pixels::Format& format : kFormats) {
        Canvas canvas(30, 30, format, kWhite);
        EXPECT_EQ(gdi::SetBkColor(canvas.dc(), kBlue), kWhite);
        HatchedSquare(canvas.dc(), kRed);
        ExpectPicture(canvas, [](int x, int y) {
            if (!In(x, 3, 22) || !In(y, 5, 24)) return kWhite;
            return HatchBit(x, y) ? kRed : kBlue;
        });
    }
}

TEST(GdiHatch, TransparentGapsKeepWhatWasThere) {
    Canvas canvas(30, 30, pixels::kRgb565, kGreen);
    EXPECT_EQ(gdi::SetBkMode(canvas.dc(), gdi::TRANSPARENT), gdi::OPAQUE);
    HatchedSquare(canvas.dc(), kRed);
    ExpectPicture(canvas, [](int x, int y) {
        return In(x, 3, 22) && In(y, 5, 24) && HatchBit(x, y) ? kRed : kGreen;
    });
}

TEST(GdiBezier, CurvesPassThroughTheirEndsAndRefuseBadCounts) {
    Canvas canvas(40, 40, pixels::kRgb565, kWhite);
    const POINT straight[] = {{2, 10}, {10, 10}, {20, 10}, {30, 10}};
    EXPECT_EQ(gdi::PolyBezier(canvas.dc(), straight, 4), TRUE);
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(canvas.At(x, 10), In(x, 2, 29) ? kBlack : kWhite);
    EXPECT_EQ(canvas.Count(kBlack), 28);
    const POINT arch[] = {{2, 35}, {2, 15}, {37, 15}, {37, 35}, {30, 38}, {10, 38}, {5, 36}};
    EXPECT_EQ(gdi::PolyBezier(canvas.dc(), arch, 7), TRUE);
    EXPECT_EQ(canvas.At(2, 34), kBlack);
    EXPECT_EQ(canvas.At(20, 20), kBlack);  // the arch's top: (2+3*2+3*37+37)/8 ... y = 20
    EXPECT_EQ(canvas.At(20, 30), kWhite);
    EXPECT_EQ(gdi::PolyBezier(canvas.dc(), arch, 5), FALSE);
    EXPECT_TRUE(canvas.GuardIntact());
}

TEST(GdiInvert, InvertsTheColourBitsAndTwiceIsTheIdentity) {
    for (const pixels::Format& format : kFormats) {
        Canvas canvas(9, 7, format);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                const auto level = [](int value) { return static_cast<BYTE>(value & 0xFF); };
                gdi::SetPixel(canvas.dc(), x, y,
                              RGB(level(x * 28), level(y * 36), level(x * y * 5)));
            }
        }
        Canvas before(9, 7, format);
        gdi::StretchBlt(before.dc(), 0, 0, 9, 7, canvas.dc(), 0, 0, 9, 7, gdi::SRCCOPY);
        const RECT rect{-3, 2, 5, 100};
        EXPECT_EQ(gdi::InvertRect(canvas.dc(), &rect), TRUE);
        const uint32_t bits = format.redMask | format.greenMask | format.blueMask;
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                const bool inside = x < 5 && y >= 2;
                EXPECT_EQ(canvas.Raw(x, y), inside ? before.Raw(x, y) ^ bits : before.Raw(x, y));
            }
        }
        gdi::InvertRect(canvas.dc(), &rect);
        ExpectPicture(canvas, [&](int x, int y) { return before.At(x, y); });
    }
}

TEST(GdiShapes, ShapesHangingOverEveryEdgeStayInsideTheSurface) {
    for (const pixels::Format& format : kFormats) {
        Canvas canvas(10, 10, format, kWhite);
        HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 5, kRed);
        HGDIOBJ old = gdi::SelectObject(canvas.dc(), pen);
        gdi::Rectangle(canvas.dc(), -5, -5, 15, 15);
        const POINT points[] = {{-20, 5}, {5, -20}, {30, 5}, {5, 30}};
        gdi::Polygon(canvas.dc(), points, 4);
        gdi::PolyBezier(canvas.dc(), points, 4);
        gdi::MoveToEx(canvas.dc(), -2000000000, -5, nullptr);
        gdi::LineTo(canvas.dc(), 2000000000, 1999999999);
        gdi::SelectObject(canvas.dc(), old);
        gdi::DeleteObject(pen);
        EXPECT_TRUE(canvas.GuardIntact());
        EXPECT_GT(canvas.Count(kRed), 0);
    }
}

TEST(GdiObjects, StockAndCreatedObjectsFollowTheirRules) {
    EXPECT_EQ(gdi::CreateHatchBrush(6, kRed), nullptr);
    const gdi::LOGBRUSH pattern{3, kRed, 0};  // pattern brushes are not offered
    EXPECT_EQ(gdi::CreateBrushIndirect(&pattern), nullptr);
    EXPECT_EQ(gdi::GetStockObject(99), nullptr);
    EXPECT_EQ(gdi::DeleteObject(gdi::GetStockObject(gdi::BLACK_PEN)), TRUE);
    Canvas canvas(4, 4, pixels::kRgb565, kWhite);
    HBRUSH brush = gdi::CreateSolidBrush(kRed);
    HGDIOBJ old = gdi::SelectObject(canvas.dc(), brush);
    EXPECT_EQ(old, gdi::GetStockObject(gdi::WHITE_BRUSH));
    EXPECT_EQ(gdi::DeleteObject(brush), FALSE);
    gdi::Rectangle(canvas.dc(), 0, 0, 4, 4);
    EXPECT_EQ(canvas.At(1, 1), kRed);
    EXPECT_EQ(canvas.At(0, 0), kBlack);  // the default pen
    EXPECT_EQ(gdi::SelectObject(canvas.dc(), old), brush);
    EXPECT_EQ(gdi::DeleteObject(brush), TRUE);
}

}  // namespace
