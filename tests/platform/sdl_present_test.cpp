#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/dd/dd.h"

namespace {

// The real backend on SDL's dummy video driver (set for every test run).
class SdlPresentation : public ::testing::Test {
  protected:
    void SetUp() override {
        backend::Install(&sdl::Instance());
        dd::test::Reset();
        ASSERT_TRUE(sdl::Instance().CreateWindow({"KIRVA", 0, 0, 646, 505, false}));
    }
    void TearDown() override {
        sdl::Instance().DestroyWindow();
        backend::Install(nullptr);
    }
    void PresentGrey() {
        std::vector<uint16_t> memory(640 * 480, 0x8410);
        sdl::Instance().Present(pixels::View{reinterpret_cast<uint8_t*>(memory.data()), 1280, 640,
                                             480, pixels::kRgb565});
    }
};

TEST_F(SdlPresentation, AWindowTakesThePicturesSize) {
    PresentGrey();
    SDL_Window* window = nullptr;  // the only window there is
    for (Uint32 id = 1; id < 64 && window == nullptr; ++id)
        window = SDL_GetWindowFromID(id);
    int width = 0, height = 0;
    ASSERT_NE(window, nullptr);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
}

// The dummy driver has no vsync: the backend's own timer paces at 60 Hz, an unknown rate.
TEST_F(SdlPresentation, EachPictureWaitsForTheNextRefresh) {
    // The first picture is shown at once, each further one a refresh after the one before.
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 7; ++frame)
        PresentGrey();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::microseconds(6 * 16666));
}

TEST_F(SdlPresentation, ARendererThatLosesItsDeviceLosesEverySurface) {
    dd::DirectDraw* device = nullptr;
    ASSERT_EQ(dd::DirectDrawCreate(nullptr, &device, nullptr), dd::DD_OK);
    device->SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL);
    dd::DDSURFACEDESC desc{};
    desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = dd::DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = desc.dwHeight = 8;
    dd::Surface* surface = nullptr;
    ASSERT_EQ(device->CreateSurface(&desc, &surface, nullptr), dd::DD_OK);
    PresentGrey();
    SDL_Event reset{};
    reset.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&reset);
    sdl::Instance().PumpEvents();
    EXPECT_EQ(surface->IsLost(), dd::DDERR_SURFACELOST);
    PresentGrey();  // a fresh texture takes the next picture
    device->Release();
}

}  // namespace
