#include <gtest/gtest.h>

#include "platform/pixels/pixels.h"

namespace {

TEST(Pixels, ColoursPackIntoEachFormatsMasks) {
    EXPECT_EQ(pixels::Pack(pixels::kRgb565, RGB(255, 0, 255)), 0xF81Fu);
    EXPECT_EQ(pixels::Pack(pixels::kRgb555, RGB(255, 0, 255)), 0x7C1Fu);
    EXPECT_EQ(pixels::Pack(pixels::kRgb888, RGB(1, 2, 3)), 0x010203u);
    EXPECT_EQ(pixels::Pack(pixels::kRgb565, RGB(7, 3, 7)), 0u);  // below one step of each channel
}

TEST(Pixels, UnpackWidensFullChannelsToFullBytes) {
    EXPECT_EQ(pixels::Unpack(pixels::kRgb565, 0xFFFF), RGB(255, 255, 255));
    EXPECT_EQ(pixels::Unpack(pixels::kRgb555, 0x7FFF), RGB(255, 255, 255));
    EXPECT_EQ(pixels::Unpack(pixels::kRgb565, 0x0841), RGB(8, 8, 8));
    for (const pixels::Format& format : {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888}) {
        for (COLORREF colour : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 0, 0)}) {
            EXPECT_EQ(pixels::Unpack(format, pixels::Pack(format, colour)), colour);
        }
    }
}

}  // namespace
