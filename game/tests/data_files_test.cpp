// The data files that the build makes beside the game, read back as the game's loaders see them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "draw/display.h"
#include "maze_scene.h"
#include "picture.h"
#include "platform/dd/dd.h"
#include "replay.h"

namespace {

const std::string kFolder = KR_DATA_DIR;

Picture Load(const char* name) {
    return Picture::FromBmp(kFolder + name);
}

// Ten 64 by 48 frames, each covering more than the one before and all it covered, the first
// less than a tenth, the last all; one dark colour that is not black even in 5-6-5 or 5-5-5
// pixels, where black is the colour key.
TEST(DataFiles, MaskHasTenGrowingFramesOfOneDarkColourThatIsNeverBlack) {
    const Picture mask = Load("MASK.BMP");
    ASSERT_TRUE(mask.Width() == 640 && mask.Height() == 48) << SDL_GetError();
    const Rgb cover = mask.At(9 * 64, 0);
    EXPECT_LT(std::max({cover.red, cover.green, cover.blue}), 100);
    EXPECT_GT(std::max({cover.red, cover.green, cover.blue}) >> 3, 0);
    int previous = 0;
    for (int frame = 0; frame < 10; ++frame) {
        const int covered = mask.Lit(frame * 64, 0, frame * 64 + 64, 48);
        EXPECT_GT(covered, previous) << "frame " << frame;
        EXPECT_TRUE(frame > 0 || covered < 64 * 48 / 10);
        previous = covered;
        for (int i = 0; i < 64 * 48; ++i) {
            const Rgb pixel = mask.At(frame * 64 + i % 64, i / 64);
            ASSERT_TRUE(pixel.IsBlack() || pixel == cover) << frame << ": " << i;
            ASSERT_TRUE(frame == 0 || pixel == cover ||
                        mask.At(frame * 64 - 64 + i % 64, i / 64).IsBlack())
                << frame << ": " << i;
        }
    }
    EXPECT_EQ(previous, 64 * 48);
}

// The glyph edges of the game's font table.
constexpr int kLetterEdges[27] = {0,   27,  53,  80,  108, 128, 147, 173, 200,
                                  212, 230, 256, 274, 308, 334, 360, 384, 410,
                                  435, 459, 483, 506, 532, 569, 591, 615, 634};
constexpr int kSignEdges[21] = {0,   6,   20,  29,  49,  73,  93,  117, 140, 166, 192,
                                216, 237, 263, 289, 299, 309, 335, 361, 386, 411};

// Each glyph lies inside its cell of the table, with a black column on each side to keep
// neighbours apart (wide glyphs come within 2 pixels of both) and black rows above and below;
// nothing lies past the cells, and every lit pixel is light.
TEST(DataFiles, GlyphSheetHasLightGlyphsFillingEveryCellOnBlack) {
    const Picture sheet = Load("ABC.BMP");
    ASSERT_TRUE(sheet.Width() >= 634 && sheet.Height() == 90) << SDL_GetError();
    const struct {
        const int* edges;
        int glyphs, top;
    } rows[] = {{kLetterEdges, 26, 0}, {kSignEdges, 20, 45}};
    for (const auto& row : rows) {
        for (int k = 0; k < row.glyphs; ++k) {
            const int left = row.edges[k], right = row.edges[k + 1], top = row.top;
            int first = right, last = -1;  // the lit columns
            for (int x = left; x < right; ++x) {
                if (sheet.Lit(x, top, x + 1, top + 45) == 0) continue;
                first = std::min(first, x);
                last = x;
            }
            ASSERT_GE(last, 0) << "glyph " << k << " of the row at " << top << " is empty";
            EXPECT_TRUE(first > left && last < right - 1) << "glyph " << k << " at " << top;
            EXPECT_TRUE(right - left < 12 || (first - left <= 2 && right - 1 - last <= 2))
                << "glyph " << k << " at " << top;
            EXPECT_EQ(
                sheet.Lit(left, top, right, top + 1) + sheet.Lit(left, top + 44, right, top + 45),
                0)
                << "glyph " << k << " at " << top;
        }
        EXPECT_EQ(sheet.Lit(row.edges[row.glyphs], row.top, sheet.Width(), row.top + 45), 0);
    }
    for (int i = 0; i < sheet.Width() * sheet.Height(); ++i) {
        const Rgb pixel = sheet.At(i % sheet.Width(), i / sheet.Width());
        ASSERT_TRUE(pixel.IsBlack() || pixel.red + pixel.green + pixel.blue > 450) << i;
    }
}

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
