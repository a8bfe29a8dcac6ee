#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/dd/dd.h"

namespace {

// The real backend on SDL's dummy video driver (set for every test run): the window takes the
// picture's size; with no vsync the backend's own timer shows each picture a 60 Hz refresh after
// the one before; a renderer that loses its device loses every surface.
TEST(SdlPresentation, AWindowTakesThePicturesSizeAndADeviceResetLosesTheSurfaces) {
    backend::Install(&sdl::Instance());
    dd::test::Reset();
    ASSERT_TRUE(sdl::Instance().CreateWindow({"KIRVA", 0, 0, 646, 505, false}));
    dd::DirectDraw* device = nullptr;
    ASSERT_EQ(dd::DirectDrawCreate(nullptr, &device, nullptr), dd::DD_OK);
    device->SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL);
    dd::DDSURFACEDESC desc{};
    desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = dd::DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = desc.dwHeight = 8;
    dd::Surface* surface = nullptr;
    ASSERT_EQ(device->CreateSurface(&desc, &surface, nullptr), dd::DD_OK);
    std::vector<uint16_t> grey(640 * 480, 0x8410);
    const pixels::View picture{reinterpret_cast<uint8_t*>(grey.data()), 1280, 640, 480,
                               pixels::kRgb565};
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 7; ++frame)
        sdl::Instance().Present(picture);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(6 * 16666));
    SDL_Window* window = nullptr;  // the only window there is
    for (Uint32 id = 1; id < 64 && window == nullptr; ++id)
        window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(640, 480));
    SDL_Event reset{};
    reset.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&reset);
    sdl::Instance().PumpEvents();
    EXPECT_EQ(surface->IsLost(), dd::DDERR_SURFACELOST);
    sdl::Instance().Present(picture);  // a fresh texture takes the next picture
    device->Release();
    sdl::Instance().DestroyWindow();
    backend::Install(nullptr);
}

}  // namespace
