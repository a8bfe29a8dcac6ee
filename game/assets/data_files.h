#pragma once
// The maze game's data files, made by the project: the mask transition's frames, the glyph
// sheet, two textures and two models in the text X format.
#include <string>

#include "bmp_writer.h"

namespace assets {

// Ten frames of 64 by 48 side by side; black is transparent, frame 0 covers a little of its
// cell and frame 9 all of it.
Picture MakeMask();
// Row 0 (y 0 to 45) A to Z, row 1 (y 45 to 90) the comma to the question mark, each glyph
// filling its cell between the glyph edges; light glyphs on black.
Picture MakeGlyphSheet();
Picture MakeWallTexture();
Picture MakeBallTexture();

// A single-sided 16 by 16 panel centred on its origin in its x-y plane, its front (clockwise in
// the left-handed axes) seen from its local -z side.
std::string MakePanelModel();
// A sphere of radius 4, its faces outward.
std::string MakeBallModel();

}  // namespace assets
