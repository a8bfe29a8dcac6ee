#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi_canvas.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
const pixels::Format kFormats[] = {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888};

// A colour is stored with the top bits of each channel and read back with them widened (the top
// bits repeated below), so full channels stay full; outside the surface nothing is read or
// written.
TEST(GdiPixels, ColoursPackIntoEachFormatAndReadBackWidened) {
    const struct {
        const pixels::Format& format;
        COLORREF colour;
        uint32_t raw;
        COLORREF read;
    } cases[] = {
        {pixels::kRgb888, RGB(0x13, 0x57, 0x9B), 0x13579B, RGB(0x13, 0x57, 0x9B)},
        {pixels::kRgb565, RGB(0x13, 0x57, 0x9B), 0x12B3, RGB(0x10, 0x55, 0x9C)},
        {pixels::kRgb565, RGB(255, 0, 255), 0xF81F, RGB(255, 0, 255)},
        {pixels::kRgb555, RGB(255, 0, 255), 0x7C1F, RGB(255, 0, 255)},
        {pixels::kRgb565, RGB(8, 8, 8), 0x0841, RGB(8, 8, 8)},
        {pixels::kRgb565, RGB(7, 3, 7), 0, RGB(0, 0, 0)},
        {pixels::kRgb555, RGB(255, 255, 255), 0x7FFF, RGB(255, 255, 255)},
        {pixels::kRgb565, RGB(255, 255, 255), 0xFFFF, RGB(255, 255, 255)},
    };
    for (const auto& c : cases) {
        Canvas canvas(4, 4, c.format, kBlue);
        EXPECT_EQ(gdi::SetPixel(canvas.dc(), 1, 2, c.colour), c.read) << std::hex << c.colour;
        EXPECT_EQ(canvas.Raw(1, 2), c.raw) << std::hex << c.colour;
        EXPECT_EQ(canvas.At(1, 2), c.read) << std::hex << c.colour;
        EXPECT_EQ(canvas.Count(kBlue), 15);
        // Outside the surface nothing is read or written.
        for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}}) {
            EXPECT_EQ(canvas.At(x, y), gdi::CLR_INVALID);
            EXPECT_EQ(gdi::SetPixel(canvas.dc(), x, y, kRed), gdi::CLR_INVALID);
        }
        EXPECT_TRUE(canvas.GuardIntact());
    }
    EXPECT_EQ(gdi::GetPixel(nullptr, 0, 0), gdi::CLR_INVALID);
}

// The source index of destination pixel i of a span: the nearest sample under its centre,
// counted from the far end when exactly one of the two extents is negative.
int Sample(int i, int start, int extent, int sourceStart, int sourceExtent) {
    const int first = extent < 0 ? start + extent : start;
    const int sourceFirst = sourceExtent < 0 ? sourceStart + sourceExtent : sourceStart;
    const int length = std::abs(extent), sourceLength = std::abs(sourceExtent);
    const int offset = static_cast<int>(std::floor((i - first + 0.5) * sourceLength / length));
    const bool mirror = (extent < 0) != (sourceExtent < 0);
    return sourceFirst + (mirror ? sourceLength - 1 - offset : offset);
}

// 3 by 2: red green blue / white black red.
const std::vector<COLORREF> kSix{kRed, kGreen, kBlue, kWhite, kBlack, kRed};

// Random stretches, shrinks, mirrors and overhangs of the six pixels against the nearest-sample
// reference; pixels outside the destination rectangle or sampled outside the bitmap stay white.
TEST(GdiStretch, EveryDestinationPixelTakesTheNearestSourceSample) {
    Canvas six(3, 2, pixels::kRgb888);
    for (size_t i = 0; i < kSix.size(); ++i)
        gdi::SetPixel(six.dc(), static_cast<int>(i % 3), static_cast<int>(i / 3), kSix[i]);
    std::mt19937 random(3);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto extent = [&](int most) { return pick(1, most) * (pick(0, 1) == 0 ? -1 : 1); };
    for (int trial = 0; trial < 300; ++trial) {
        const pixels::Format& format = kFormats[trial % 3];
        Canvas canvas(7, 5, format, kWhite);
        const int x = pick(-3, 9), y = pick(-3, 7), width = extent(9), height = extent(7);
        const int sx = pick(-1, 4), sy = pick(-1, 3), sw = extent(4), sh = extent(3);
        ASSERT_EQ(gdi::StretchBlt(canvas.dc(), x, y, width, height, six.dc(), sx, sy, sw, sh,
                                  gdi::SRCCOPY),
                  TRUE);
        for (int py = 0; py < 5; ++py) {
            for (int px = 0; px < 7; ++px) {
                const bool covered = px >= std::min(x, x + width) && px < std::max(x, x + width) &&
                                     py >= std::min(y, y + height) && py < std::max(y, y + height);
                const int from = covered ? Sample(px, x, width, sx, sw) : -1;
                const int row = covered ? Sample(py, y, height, sy, sh) : -1;
                const bool inBitmap = from >= 0 && from < 3 && row >= 0 && row < 2;
                const COLORREF expected =
                    inBitmap ? kSix[static_cast<size_t>(row * 3 + from)] : kWhite;
                ASSERT_EQ(canvas.At(px, py), expected)
                    << "(" << px << "," << py << ") of " << x << "," << y << " " << width << "x"
                    << height << " from " << sx << "," << sy << " " << sw << "x" << sh;
            }
        }
        ASSERT_TRUE(canvas.GuardIntact());
    }
    EXPECT_EQ(gdi::StretchBlt(six.dc(), 0, 0, 0, 4, six.dc(), 0, 0, 3, 2, gdi::SRCCOPY), FALSE);
}

}  // namespace
