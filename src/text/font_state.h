#pragma once
// krFont's state. The font description block is allocated by the display set-up and freed by
// the shutdown; krFont only fills it.
#include <kr/font.h>

#include "platform/gdi/gdi.h"

struct krFontStateRecord {
    gdi::LOGFONT* description;  // the 60-byte block, or null outside the display's life
    HFONT font;                 // the open scope's font
    HDC dc;                     // the open scope's context of the Back surface, or null
    HGDIOBJ previousFont;
    RECT box;
    RECT measure;
};

extern krFontStateRecord krFontState;

namespace krFont {

// The display set-up's block and the shutdown's release; the block starts zero-filled.
void AllocateDescription();
void FreeDescription();
// Closes an open scope and frees the block (tests and replays).
void ResetForNextRun();

}  // namespace krFont
