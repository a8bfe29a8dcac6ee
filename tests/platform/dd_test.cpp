#include <gtest/gtest.h>

#include <cairo.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/backend/headless/headless.h"
#include "platform/dd/dd.h"
#include "platform/gdi/gdi.h"

namespace {

using namespace dd;

// A windowed device on the headless backend with 5-6-5 off-screen surfaces.
class SurfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Install();
        headless::SetDesktop(640, 480, 16);
        test::Reset();
        ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
        ASSERT_EQ(device->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    }
    void TearDown() override {
        device->Release();
        EXPECT_EQ(test::LiveSurfaces(), 0);
        test::Reset();
    }
    Surface* Offscreen(DWORD width, DWORD height) {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = width;
        desc.dwHeight = height;
        Surface* surface = nullptr;
        EXPECT_EQ(device->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }
    static void Fill(Surface* surface, DWORD value, const RECT* rect = nullptr) {
        const DDBLTFX fill{sizeof(DDBLTFX), value};
        ASSERT_EQ(surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    }
    static uint16_t At(Surface* surface, int x, int y) {
        const pixels::View view = surface->Pixels();
        uint16_t value;
        std::memcpy(&value, view.Row(y) + 2 * x, 2);
        return value;
    }
    DirectDraw* device = nullptr;
};

TEST_F(SurfaceTest, BltFastRefusesRectanglesOutsideEitherSurfaceAndDrawsNothing) {
    Surface* source = Offscreen(10, 10);
    Surface* target = Offscreen(20, 20);
    Fill(source, 0x1234);
    const RECT whole{0, 0, 10, 10};
    EXPECT_EQ(target->BltFast(11, 0, source, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(target->BltFast(-1, 0, source, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(target->BltFast(0, 15, source, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    const RECT wide{0, 0, 11, 10}, inverted{5, 0, 4, 10}, negative{-1, 0, 3, 3};
    for (const RECT& rect : {wide, inverted, negative})
        EXPECT_EQ(target->BltFast(0, 0, source, &rect, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(At(target, x, y), 0);
    EXPECT_EQ(target->BltFast(10, 10, source, &whole, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(At(target, 19, 19), 0x1234);
    EXPECT_EQ(At(target, 9, 9), 0);
}

TEST_F(SurfaceTest, ColourKeysAreRawValueRanges) {
    Surface* source = Offscreen(4, 1);
    Surface* target = Offscreen(4, 1);
    for (int x = 0; x < 4; ++x) {
        const RECT pixel{x, 0, x + 1, 1};
        Fill(source, static_cast<DWORD>(0x10 + x), &pixel);
    }
    Fill(target, 0xFFFF);
    const DDCOLORKEY key{0x11, 0x12};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(std::vector<uint16_t>(
                  {At(target, 0, 0), At(target, 1, 0), At(target, 2, 0), At(target, 3, 0)}),
              std::vector<uint16_t>({0x10, 0xFFFF, 0xFFFF, 0x13}));
    const DDCOLORKEY inverted{0x13, 0x10};  // a high below the low is the low
    source->SetColorKey(DDCKEY_SRCBLT, &inverted);
    DDCOLORKEY stored{};
    EXPECT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &stored), DD_OK);
    EXPECT_EQ(stored.dwColorSpaceHighValue, 0x13u);
    source->SetColorKey(DDCKEY_SRCBLT, nullptr);
    EXPECT_EQ(source->GetColorKey(DDCKEY_SRCBLT, &stored), DDERR_NOCOLORKEY);
}

TEST_F(SurfaceTest, BusyBlittersAnswerUntilTheCallerWaits) {
    Surface* source = Offscreen(2, 2);
    Surface* target = Offscreen(2, 2);
    test::AnswerStillDrawing(2);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, 0), DDERR_WASSTILLDRAWING);
    DDSURFACEDESC desc{};
    EXPECT_EQ(target->Lock(nullptr, &desc, 0, nullptr), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(target->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    target->Unlock(nullptr);
    test::AnswerStillDrawing(5);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, 0), DD_OK);
}

TEST_F(SurfaceTest, ADeviceContextLocksTheSurfaceUntilItIsReleased) {
    Surface* source = Offscreen(2, 2);
    Surface* target = Offscreen(2, 2);
    HDC dc = nullptr;
    ASSERT_EQ(target->GetDC(&dc), DD_OK);
    gdi::SetPixel(dc, 1, 1, RGB(255, 0, 0));
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    EXPECT_EQ(source->BltFast(0, 0, target, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    DDSURFACEDESC desc{};
    EXPECT_EQ(target->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    HDC second = nullptr;
    EXPECT_EQ(target->GetDC(&second), DDERR_SURFACEBUSY);
    EXPECT_EQ(target->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(target->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(At(target, 1, 1), 0xF800);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
}

TEST_F(SurfaceTest, LockGivesThePitchAndTheRectanglesFirstPixel) {
    Surface* surface = Offscreen(3, 4);  // 6 bytes a row, padded to 8
    const RECT rect{1, 2, 3, 4};
    DDSURFACEDESC desc{};
    ASSERT_EQ(surface->Lock(&rect, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.lPitch, 8);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    static_cast<uint16_t*>(desc.lpSurface)[0] = 0xABCD;
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(At(surface, 1, 2), 0xABCD);
    const RECT outside{0, 0, 4, 1};
    EXPECT_EQ(surface->Lock(&outside, &desc, 0, nullptr), DDERR_INVALIDRECT);
}

TEST_F(SurfaceTest, LostSurfacesRefuseEverythingUntilRestoredWithoutTheirPicture) {
    Surface* source = Offscreen(2, 2);
    Surface* target = Offscreen(2, 2);
    Fill(target, 0x0101);
    LoseAllSurfaces();
    DDSURFACEDESC desc{};
    HDC dc = nullptr;
    EXPECT_EQ(target->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(target->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(target->Restore(), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(target->IsLost(), DD_OK);
    EXPECT_NE(At(target, 0, 0), 0x0101);
}

TEST_F(SurfaceTest, StretchedBltSamplesTheNearestPixel) {
    Surface* source = Offscreen(2, 1);
    Surface* target = Offscreen(6, 2);
    const RECT right{1, 0, 2, 1};
    Fill(source, 0x1111);
    Fill(source, 0x2222, &right);
    ASSERT_EQ(target->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(At(target, 2, 1), 0x1111);
    EXPECT_EQ(At(target, 3, 0), 0x2222);
    const RECT outside{0, 0, 7, 2};
    EXPECT_EQ(target->Blt(&outside, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
}

TEST_F(SurfaceTest, PrimaryChainsFlipOnlyInExclusiveMode) {
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    Surface* front = nullptr;
    EXPECT_EQ(device->CreateSurface(&desc, &front, nullptr), DDERR_NOEXCLUSIVEMODE);
    HWND window = reinterpret_cast<HWND>(&desc);  // any window will do for the device
    ASSERT_EQ(device->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(device->SetDisplayMode(320, 200, 16), DD_OK);
    EXPECT_EQ(device->SetDisplayMode(320, 200, 24), DDERR_UNSUPPORTEDMODE);
    ASSERT_EQ(device->CreateSurface(&desc, &front, nullptr), DD_OK);
    const DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    Surface* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &back), DD_OK);
    Fill(back, 0x07E0);
    const int presents = headless::PresentCount();
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(headless::PresentCount(), presents + 1);
    EXPECT_EQ(headless::LastPicture().width, 320);
    EXPECT_EQ(headless::LastPicture().At(319, 199), RGB(0, 255, 0));
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    back->Release();
}

BOOL CountDevices(GUID* guid, const char*, const char*, void* context) {
    auto* seen = static_cast<std::vector<bool>*>(context);
    seen->push_back(guid != nullptr);
    return seen->size() < 2 ? TRUE : FALSE;
}

TEST(DisplayDevices, TheDefaultComesFirstAndSecondariesHave3DCaps) {
    headless::Install();
    test::Reset();
    test::AddSecondary3DDevice();
    test::AddSecondary3DDevice();
    std::vector<bool> seen;
    DirectDrawEnumerate(CountDevices, &seen);
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));  // the callback stopped after two
    GUID guid{};
    DirectDraw* device = nullptr;
    EXPECT_EQ(DirectDrawCreate(&guid, &device, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    test::Reset();
}

TEST(HeadlessPictures, TheLastPictureIsWrittenAsPng) {
    headless::Install();
    std::vector<uint16_t> memory(4 * 3, 0xF800);
    memory[5] = 0x001F;  // (1, 1) blue
    backend::Active().Present(
        pixels::View{reinterpret_cast<uint8_t*>(memory.data()), 8, 4, 3, pixels::kRgb565});
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kr-headless-picture-" + std::to_string(getpid()) + ".png"))
                                 .string();
    ASSERT_TRUE(headless::WritePicturePng(path));
    cairo_surface_t* read = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(read), 4);
    EXPECT_EQ(cairo_image_surface_get_height(read), 3);
    const unsigned char* data = cairo_image_surface_get_data(read);
    const int stride = cairo_image_surface_get_stride(read);
    auto pixel = [&](int x, int y) {
        return *reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x) & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(1, 1), 0x0000FFu);
    cairo_surface_destroy(read);
    std::filesystem::remove(path);
    headless::Install();
    EXPECT_FALSE(headless::WritePicturePng(path));  // nothing presented yet
}

}  // namespace
