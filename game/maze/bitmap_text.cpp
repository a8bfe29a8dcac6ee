#include <cstring>

#include "maze_scene.h"

namespace {

// Texts longer than 31 characters are cut there.
char textBuffer[32];

struct Glyph {
    RECT source;
    bool exists;
};

Glyph GlyphOf(char character) {
    if (character >= 'A' && character <= 'Z') {
        const int32_t k = character - 'A';
        return {{glyphEdgesLetters[k], 0, glyphEdgesLetters[k + 1], kGlyphRowHeight}, true};
    }
    if (character >= ',' && character <= '?') {
        const int32_t k = character - ',';
        return {{glyphEdgesSigns[k], kGlyphRowHeight, glyphEdgesSigns[k + 1], 2 * kGlyphRowHeight},
                true};
    }
    return {{0, 0, 0, 0}, false};
}

int32_t CellAdvance(int32_t spacing) {
    if (spacing == 1) return 40;
    return spacing > 1 ? spacing : 20;
}

}  // namespace

void DrawBitmapText(int32_t x, int32_t y, const char* text, int32_t count, int32_t spacing) {
    if (text == nullptr) return;
    if (spacing < 0) spacing = 0;
    std::strncpy(textBuffer, text, sizeof textBuffer - 1);
    textBuffer[sizeof textBuffer - 1] = '\0';
    int32_t pen = 0;
    for (int32_t i = 0; i < count && textBuffer[i] != '\0'; ++i) {
        const Glyph glyph = GlyphOf(textBuffer[i]);
        int32_t advance = CellAdvance(spacing);
        if (glyph.exists) {
            const int32_t width = glyph.source.right - glyph.source.left;
            const int32_t centring = spacing > 0 ? (40 - width) / 2 : 0;
            if (spacing == 0) advance = width;
            krDraw::PutObject(x + pen + centring, y, mazeScene.fontSprite, glyph.source.left,
                              glyph.source.top, glyph.source.right, glyph.source.bottom);
        }
        pen += advance;
    }
}
