#pragma once
// A 640 by 480 display of 16-bit pixels with one client object, and raw pixel access to both.
#include "draw/draw_fixture.h"

class EffectsTest : public DrawTest {
  protected:
    // Opens the display (5-5-5 when asked) and creates the client object.
    void Open(bool use555 = false);

    // A 16-bit pixel from components in the display's layout.
    static uint16_t Pixel(uint32_t red, uint32_t green, uint32_t blue);
    static uint16_t Get(dd::Surface* surface, int32_t x, int32_t y);
    static void Set(dd::Surface* surface, int32_t x, int32_t y, uint16_t pixel);
    static std::vector<uint16_t> Snapshot(dd::Surface* surface);
    // Puts a whole Snapshot back.
    static void Load(dd::Surface* surface, const std::vector<uint16_t>& pixels);
    dd::Surface* Object() const { return krDraw::sprites[object].surface; }

    int32_t object = 0;
};
