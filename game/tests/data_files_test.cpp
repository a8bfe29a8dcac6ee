// Text set from the glyph sheet that the build makes beside the game.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "draw/display.h"
#include "maze_scene.h"
#include "platform/dd/dd.h"
#include "replay.h"

namespace {

const std::string kFolder = KR_DATA_DIR;

// The glyph edges of the game's font table.
constexpr int kLetterEdges[27] = {0,   27,  53,  80,  108, 128, 147, 173, 200,
                                  212, 230, 256, 274, 308, 334, 360, 384, 410,
                                  435, 459, 483, 506, 532, 569, 591, 615, 634};
constexpr int kSignEdges[21] = {0,   6,   20,  29,  49,  73,  93,  117, 140, 166, 192,
                                216, 237, 263, 289, 299, 309, 335, 361, 386, 411};

// Text set with the glyph sheet, against the table and the setting rules: each glyph blitted
// from its cell of the sheet at the pen plus its centring, the pen moved by the glyph's width, a
// space's 20, or the fixed cell; at most 31 characters and count of them.
void ReferenceText(int32_t x, int32_t y, const std::string& text, int32_t count, int32_t spacing) {
    spacing = std::max(spacing, 0);
    int32_t pen = 0;
    for (int32_t i = 0; i < count && i < std::min<int32_t>(31, int32_t(text.size())); ++i) {
        const char c = text[size_t(i)];
        int32_t advance = spacing == 1 ? 40 : spacing > 1 ? spacing : 20;
        const bool letter = c >= 'A' && c <= 'Z', sign = c >= ',' && c <= '?';
        if (letter || sign) {
            const int* edges = letter ? kLetterEdges : kSignEdges;
            const int k = letter ? c - 'A' : c - ',', top = letter ? 0 : 45;
            const int32_t width = edges[k + 1] - edges[k];
            krDraw::PutObject(x + pen + (spacing > 0 ? (40 - width) / 2 : 0), y,
                              mazeScene.fontSprite, edges[k], top, edges[k + 1], top + 45);
            if (spacing == 0) advance = width;
        }
        pen += advance;
    }
}

std::vector<uint8_t> BackBytes() {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(krDraw::display.back->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    const auto* bytes = static_cast<const uint8_t*>(desc.lpSurface);
    std::vector<uint8_t> copy(bytes, bytes + desc.lPitch * LONG(desc.dwHeight));
    krDraw::display.back->Unlock(nullptr);
    return copy;
}

TEST(BitmapText, IsSetFromTheGlyphTableAsTheRulesSay) {
    replay::Options options;
    options.dataDirectory = kFolder;
    options.frames = 3;
    options.afterFrame = [](int32_t frame) {
        if (frame != 2) return;
        std::mt19937 random(3);
        const std::string characters = "ABCIMWZ,-./09:;<=>? a!";
        for (int i = 0; i < 300; ++i) {
            std::string text(random() % 40, ' ');
            for (char& c : text)
                c = characters[random() % characters.size()];
            const auto x = int32_t(random() % 700) - 40, y = int32_t(random() % 520) - 40;
            const auto count = int32_t(random() % 40), spacing = int32_t(random() % 60) - 5;
            krDraw::Clear();
            DrawBitmapText(x, y, text.c_str(), count, spacing);
            const std::vector<uint8_t> drawn = BackBytes();
            krDraw::Clear();
            ReferenceText(x, y, text, count, spacing);
            ASSERT_TRUE(drawn == BackBytes()) << '"' << text << "\" count " << count << " spacing "
                                              << spacing << " at " << x << "," << y;
        }
    };
    ASSERT_TRUE(replay::Run(options).quitNormally);
}

}  // namespace
