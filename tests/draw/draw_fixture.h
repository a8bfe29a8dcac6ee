#pragma once
// A shell on the headless backend whose client opens the display, with a data directory of its
// own for the bitmaps a test writes.
#include <functional>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "draw/display.h"
#include "platform/dd/dd.h"
#include "shell/fixture.h"

class DrawTest : public ShellTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program; its initialisation calls krDraw::Screen(width, height). Returns that
    // call's result.
    int32_t OpenDisplay(bool fullScreen = true, int32_t width = 640, int32_t height = 480);
    void WriteBitmap(const std::string& name, const assets::Picture& picture);

    // Runs the body on the surface's locked pixels.
    static void WithPixels(dd::Surface* surface,
                           const std::function<void(const pixels::View&)>& body);
    // A pixel of the Back surface (or another surface) as a colour.
    static COLORREF BackPixel(int32_t x, int32_t y);
    static COLORREF SurfacePixel(dd::Surface* surface, int32_t x, int32_t y);
    static uint32_t RawPixel(dd::Surface* surface, int32_t x, int32_t y);
    // Fills a whole surface with one colour.
    static void Paint(dd::Surface* surface, COLORREF colour);
    // Fills a whole surface with one raw pixel value.
    static void FillRaw(dd::Surface* surface, uint32_t pixel);
    static int32_t CountBack(COLORREF colour);

    std::string dataDirectory;

  public:
    static int32_t screenWidth, screenHeight, screenResult;
};

// How many pixels of two pictures differ; a size mismatch counts its missing pixels.
int32_t DifferingPixels(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b);

inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kGreen = RGB(0, 255, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kMagenta = RGB(255, 0, 255);
