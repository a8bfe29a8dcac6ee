#pragma once
// The display state, the sprite object table and the clip rectangle, which the framework's other
// modules (effects, GDI, text, 3D) read.
#include <kr/draw.h>
#include <kr/system.h>

#include "platform/dd/dd.h"

namespace krDraw {

inline constexpr int32_t kSineEntries = 450;

struct DisplayState {
    dd::DirectDraw* directDraw;
    dd::Surface* front;
    dd::Surface* back;
    dd::Surface* surface3D;
    dd::Surface* zBuffer;
    int32_t defaultWidth, defaultHeight;
    int32_t colourDepthSetting;
    int32_t accelerator;
    int32_t stretch;
    uint32_t redMask, greenMask, blueMask;
    int32_t redShift, greenShift, blueShift;
    uint32_t redMax, greenMax, blueMax;
    int32_t sine[kSineEntries];  // entry i: 360 * sin(i degrees), truncated
    HDC backDC;
};

extern DisplayState display;

inline constexpr size_t kObjectNameSize = 32;

struct SpriteSlot {
    dd::Surface* surface;
    char name[kObjectNameSize];  // "*" for a blank object, empty for a free slot
    int32_t colourKeySetting;    // a COLORREF, or -1 for the top-left pixel
};

extern SpriteSlot sprites[kObjectSlots];

// What later loads and creations take as their key.
struct LoadSetting {
    COLORREF keyColour;
    int32_t cornerKey;
};

extern LoadSetting loadSetting;

// Right and bottom exclusive; every clipped blit cuts to it.
extern RECT clip;

// The surface of an object number, or null for a number outside the table or a free slot.
dd::Surface* ObjectSurface(int32_t object);
// The object's height in rows, or 0 when it has no surface.
int64_t ObjectHeight(int32_t object);

// The surface's pixel value for a colour, or its top-left pixel for kCornerKey; all bits set
// when the surface cannot be locked.
uint32_t ColourMatch(dd::Surface* surface, COLORREF colour);
// Gives the surface the source colour key matched from the colour.
HRESULT KeySetting(dd::Surface* surface, COLORREF colour);
// Empties a slot without releasing its surface.
void EmptySlot(int32_t object);

// The picture the player sees: the Front surface's screen-sized corner; false before the
// display is open. Valid until the next drawing call.
bool ScreenPicture(pixels::View* picture);

// The quit's release of every sprite surface, the display's surfaces and the device.
void ReleaseDisplay();
// Everything back to the state before the display was opened (tests and replays).
void ResetForNextRun();

}  // namespace krDraw
