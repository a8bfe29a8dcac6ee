#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi_canvas.h"
#include "platform/win/resources.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

void PutLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A 24-bit bottom-up BMP file whose pixels are given top row first.
std::vector<unsigned char> Bmp(int width, int height, const std::vector<COLORREF>& pixels) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> file{'B', 'M'};
    PutLittleEndian(file, static_cast<uint32_t>(54 + rowBytes * height), 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, 54, 4);
    for (uint32_t field : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) {
        PutLittleEndian(file, field, 4);
    }
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 24, 2);
    for (int i = 0; i < 6; ++i)
        PutLittleEndian(file, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y * width + x)];
            file.insert(file.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
        }
        file.resize(file.size() + static_cast<size_t>(rowBytes - width * 3), 0);
    }
    return file;
}

// 3 by 2: red green blue / white black red.
const std::vector<COLORREF> kSix{kRed, kGreen, kBlue, kWhite, kBlack, kRed};

std::string WriteTemporary(const std::string& name, const std::vector<unsigned char>& bytes) {
    // Tests run as parallel processes: the process id keeps their files apart.
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "-" + name)).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

// The six-pixel picture loaded from a file of that name, scaled to a width when one is given.
HBITMAP LoadSix(const std::string& name, int width = 0) {
    const std::string path = WriteTemporary(name, Bmp(3, 2, kSix));
    HBITMAP bitmap =
        gdi::LoadImage(nullptr, path.c_str(), gdi::IMAGE_BITMAP, width, 0, gdi::LR_LOADFROMFILE);
    std::remove(path.c_str());
    return bitmap;
}

// Reads a bitmap's pixels back through a memory context.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap) {
    gdi::BITMAP info{};
    EXPECT_EQ(gdi::GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    HDC memory = gdi::CreateCompatibleDC(nullptr);
    gdi::SelectObject(memory, bitmap);
    std::vector<COLORREF> out;
    for (int y = 0; y < info.bmHeight; ++y) {
        for (int x = 0; x < info.bmWidth; ++x)
            out.push_back(gdi::GetPixel(memory, x, y));
    }
    gdi::DeleteDC(memory);
    return out;
}

TEST(GdiPixels, RoundTripIsExactIn32BitAndNearestIn16Bit) {
    Canvas wide(4, 4, pixels::kRgb888), narrow(4, 4, pixels::kRgb565), old(4, 4, pixels::kRgb555);
    const COLORREF odd = RGB(0x13, 0x57, 0x9B);
    EXPECT_EQ(gdi::SetPixel(wide.dc(), 1, 2, odd), odd);
    EXPECT_EQ(wide.At(1, 2), odd);
    EXPECT_EQ(wide.Raw(1, 2), 0x13579Bu);
    // 5-6-5 keeps the top 5, 6 and 5 bits and widens them back.
    EXPECT_EQ(gdi::SetPixel(narrow.dc(), 3, 3, odd), RGB(0x10, 0x55, 0x9C));
    EXPECT_EQ(narrow.Raw(3, 3), (0x13u >> 3 << 11) | (0x57u >> 2 << 5) | (0x9Bu >> 3));
    EXPECT_EQ(narrow.At(3, 3), RGB(0x10, 0x55, 0x9C));
    gdi::SetPixel(old.dc(), 0, 0, RGB(255, 0, 255));
    EXPECT_EQ(old.Raw(0, 0), 0x7C1Fu);
    EXPECT_EQ(old.At(0, 0), RGB(255, 0, 255));
}

TEST(GdiPixels, OutsideTheSurfaceReadsInvalidAndWritesNothing) {
    for (const pixels::Format& format : {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888}) {
        Canvas canvas(5, 3, format, kWhite);
        for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {5, 0}, {0, 3}, {5, 3}}) {
            EXPECT_EQ(canvas.At(x, y), gdi::CLR_INVALID);
            EXPECT_EQ(gdi::SetPixel(canvas.dc(), x, y, kRed), gdi::CLR_INVALID);
        }
        EXPECT_TRUE(canvas.GuardIntact());
        EXPECT_EQ(canvas.Count(kWhite), 15);
    }
    EXPECT_EQ(gdi::GetPixel(nullptr, 0, 0), gdi::CLR_INVALID);
}

TEST(GdiBitmaps, LoadFromFileKeepsOrientationAndSize) {
    const std::string path = WriteTemporary("gdi_six.bmp", Bmp(3, 2, kSix));
    HBITMAP bitmap = gdi::LoadImage(nullptr, path.c_str(), gdi::IMAGE_BITMAP, 0, 0,
                                    gdi::LR_LOADFROMFILE | gdi::LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    gdi::BITMAP info{};
    gdi::GetObject(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(PixelsOf(bitmap), kSix);
    EXPECT_EQ(gdi::DeleteObject(bitmap), TRUE);
    std::remove(path.c_str());
}

TEST(GdiBitmaps, LoadFromResourceByNameWithOrWithoutExtension) {
    static const std::vector<unsigned char> bytes = Bmp(3, 2, kSix);
    static const win::Resource resource{"GDITEST", "BITMAP", bytes.data(), bytes.size()};
    win::RegisterResources(&resource, 1);
    for (const char* name : {"GDITEST", "gditest.bmp"}) {
        HBITMAP bitmap =
            gdi::LoadImage(nullptr, name, gdi::IMAGE_BITMAP, 0, 0, gdi::LR_CREATEDIBSECTION);
        ASSERT_NE(bitmap, nullptr) << name;
        EXPECT_EQ(PixelsOf(bitmap), kSix);
        gdi::DeleteObject(bitmap);
    }
    EXPECT_EQ(gdi::LoadImage(nullptr, "NOSUCH.BMP", gdi::IMAGE_BITMAP, 0, 0, 0), nullptr);
    // A file of the resource's name is not the resource.
    EXPECT_EQ(gdi::LoadImage(nullptr, "GDITEST", gdi::IMAGE_BITMAP, 0, 0, gdi::LR_LOADFROMFILE),
              nullptr);
}

TEST(GdiBitmaps, MissingOrMalformedFilesGiveNoBitmap) {
    std::vector<unsigned char> truncated = Bmp(3, 2, kSix);
    truncated.resize(40);
    std::vector<unsigned char> huge = Bmp(3, 2, kSix);
    huge[18] = 0xFF;  // width 0x...FF: far more pixels than the file holds
    huge[21] = 0x7F;
    for (const auto& [name, bytes] :
         {std::pair{"gdi_truncated.bmp", truncated},
          {"gdi_huge.bmp", huge},
          {"gdi_text.bmp", std::vector<unsigned char>{'h', 'e', 'l', 'l', 'o'}}}) {
        const std::string path = WriteTemporary(name, bytes);
        EXPECT_EQ(
            gdi::LoadImage(nullptr, path.c_str(), gdi::IMAGE_BITMAP, 0, 0, gdi::LR_LOADFROMFILE),
            nullptr)
            << name;
        std::remove(path.c_str());
    }
    EXPECT_EQ(gdi::LoadImage(nullptr, "/nonexistent/x.bmp", gdi::IMAGE_BITMAP, 0, 0,
                             gdi::LR_LOADFROMFILE),
              nullptr);
}

TEST(GdiBitmaps, SelectionTracksPreviousObjectsAndGuardsDeletion) {
    HBITMAP bitmap = LoadSix("gdi_select.bmp");
    ASSERT_NE(bitmap, nullptr);
    Canvas canvas(2, 2, pixels::kRgb565);
    EXPECT_EQ(gdi::SelectObject(canvas.dc(), bitmap), nullptr);  // surfaces keep their pixels
    HDC memory = gdi::CreateCompatibleDC(canvas.dc());
    HGDIOBJ original = gdi::SelectObject(memory, bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(gdi::DeleteObject(bitmap), FALSE);  // still selected
    EXPECT_EQ(gdi::SelectObject(memory, original), bitmap);
    EXPECT_EQ(gdi::SelectObject(memory, bitmap), original);
    EXPECT_EQ(gdi::DeleteObject(original), TRUE);  // a stock object stays usable
    EXPECT_EQ(gdi::DeleteDC(memory), TRUE);
    EXPECT_EQ(gdi::DeleteObject(bitmap), TRUE);
}

class GdiStretch : public ::testing::Test {
  protected:
    void SetUp() override {
        bitmap = LoadSix("gdi_stretch.bmp");
        ASSERT_NE(bitmap, nullptr);
        memory = gdi::CreateCompatibleDC(nullptr);
        gdi::SelectObject(memory, bitmap);
    }
    void TearDown() override {
        gdi::DeleteDC(memory);
        gdi::DeleteObject(bitmap);
    }
    COLORREF Source(int x, int y) const { return kSix[static_cast<size_t>(y * 3 + x)]; }

    HBITMAP bitmap = nullptr;
    HDC memory = nullptr;
};

TEST_F(GdiStretch, EnlargingReplicatesEachPixelInEveryFormat) {
    for (const pixels::Format& format : {pixels::kRgb565, pixels::kRgb555, pixels::kRgb888}) {
        Canvas canvas(6, 4, format);
        EXPECT_EQ(gdi::StretchBlt(canvas.dc(), 0, 0, 6, 4, memory, 0, 0, 3, 2, gdi::SRCCOPY), TRUE);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(canvas.At(x, y), Source(x / 2, y / 2));
        }
        EXPECT_TRUE(canvas.GuardIntact());
    }
}

TEST_F(GdiStretch, NegativeExtentsMirror) {
    Canvas canvas(3, 2, pixels::kRgb888);
    // Destination width negative: columns 0..2 filled from the right.
    gdi::StretchBlt(canvas.dc(), 3, 0, -3, 2, memory, 0, 0, 3, 2, gdi::SRCCOPY);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(canvas.At(x, 0), Source(2 - x, 0));
    // Source height negative: flipped vertically.
    gdi::StretchBlt(canvas.dc(), 0, 0, 3, 2, memory, 0, 2, 3, -2, gdi::SRCCOPY);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(canvas.At(x, 0), Source(x, 1));
    // Both negative: no mirror.
    gdi::StretchBlt(canvas.dc(), 3, 2, -3, -2, memory, 3, 2, -3, -2, gdi::SRCCOPY);
    EXPECT_EQ(canvas.At(0, 0), Source(0, 0));
    EXPECT_EQ(canvas.At(2, 1), Source(2, 1));
}

TEST_F(GdiStretch, ShrinkingSamplesNearestAndClipsToTheDestination) {
    Canvas canvas(4, 4, pixels::kRgb565, kWhite);
    // 3 columns into 1: the centre column; 2 rows into 1: the second row's sample.
    gdi::StretchBlt(canvas.dc(), 0, 0, 1, 1, memory, 0, 0, 3, 2, gdi::SRCCOPY);
    EXPECT_EQ(canvas.At(0, 0), Source(1, 1));
    // Hanging over every edge draws only the overlap.
    gdi::StretchBlt(canvas.dc(), -2, -1, 9, 6, memory, 0, 0, 3, 2, gdi::SRCCOPY);
    EXPECT_EQ(canvas.At(0, 0), Source(0, 0));
    EXPECT_EQ(canvas.At(3, 3), Source(1, 1));
    EXPECT_TRUE(canvas.GuardIntact());
    EXPECT_EQ(gdi::StretchBlt(canvas.dc(), 0, 0, 0, 4, memory, 0, 0, 3, 2, gdi::SRCCOPY), FALSE);
}

TEST_F(GdiStretch, SourceOutsideTheBitmapIsSkipped) {
    Canvas canvas(4, 2, pixels::kRgb888, kWhite);
    gdi::StretchBlt(canvas.dc(), 0, 0, 4, 2, memory, 1, 0, 4, 2, gdi::SRCCOPY);
    EXPECT_EQ(canvas.At(0, 0), Source(1, 0));
    EXPECT_EQ(canvas.At(1, 1), Source(2, 1));
    EXPECT_EQ(canvas.At(2, 0), kWhite);
    EXPECT_EQ(canvas.At(3, 1), kWhite);
}

TEST_F(GdiStretch, LoadImageScalesToARequestedSize) {
    HBITMAP scaled = LoadSix("gdi_scaled.bmp", 6);
    ASSERT_NE(scaled, nullptr);
    const std::vector<COLORREF> pixels = PixelsOf(scaled);
    ASSERT_EQ(pixels.size(), 12u);
    EXPECT_EQ(pixels[1], kRed);
    EXPECT_EQ(pixels[11], kRed);
    gdi::DeleteObject(scaled);
}

}  // namespace
