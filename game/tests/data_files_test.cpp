// The data files that the build makes beside the game, read back as the game's loaders and
// assimp see them.
#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <cmath>
#include <memory>
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

TEST(DataFiles, MaskHasTenGrowingFramesOfOneDarkColourThatIsNeverBlack) {
    const Picture mask = Load("MASK.BMP");
    ASSERT_TRUE(mask.Loaded()) << SDL_GetError();
    ASSERT_EQ(mask.Width(), 640);
    ASSERT_EQ(mask.Height(), 48);
    constexpr int kCell = 64 * 48;
    const Rgb cover = mask.At(9 * 64, 0);
    // Dark, yet not black even in 5-6-5 or 5-5-5 pixels, where black is the colour key.
    EXPECT_LT(std::max({cover.red, cover.green, cover.blue}), 100);
    EXPECT_TRUE((cover.red >> 3) != 0 || (cover.green >> 3) != 0 || (cover.blue >> 3) != 0);
    int previous = 0;
    for (int frame = 0; frame < 10; ++frame) {
        const int covered = mask.Lit(frame * 64, 0, frame * 64 + 64, 48);
        EXPECT_GT(covered, previous) << "frame " << frame;
        previous = covered;
        for (int y = 0; y < 48; ++y) {
            for (int x = frame * 64; x < frame * 64 + 64; ++x) {
                const Rgb pixel = mask.At(x, y);
                ASSERT_TRUE(pixel.IsBlack() || pixel == cover) << x << "," << y;
                // Each frame covers what the one before it covered.
                if (frame > 0 && !mask.At(x - 64, y).IsBlack()) {
                    ASSERT_EQ(pixel, cover) << x << "," << y;
                }
            }
        }
    }
    EXPECT_LT(mask.Lit(0, 0, 64, 48), kCell / 10);
    EXPECT_EQ(previous, kCell);
}

// The glyph edges of the game's font table.
constexpr int kLetterEdges[27] = {0,   27,  53,  80,  108, 128, 147, 173, 200,
                                  212, 230, 256, 274, 308, 334, 360, 384, 410,
                                  435, 459, 483, 506, 532, 569, 591, 615, 634};
constexpr int kSignEdges[21] = {0,   6,   20,  29,  49,  73,  93,  117, 140, 166, 192,
                                216, 237, 263, 289, 299, 309, 335, 361, 386, 411};

struct Extent {
    int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
};

Extent LitExtent(const Picture& sheet, int left, int top, int right, int bottom) {
    Extent extent;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (sheet.At(x, y).IsBlack()) continue;
            extent = {std::min(extent.left, x), std::max(extent.right, x), std::min(extent.top, y),
                      std::max(extent.bottom, y)};
        }
    }
    return extent;
}

void ExpectGlyphsFillTheirCells(const Picture& sheet, const int* edges, int glyphs, int rowTop) {
    for (int k = 0; k < glyphs; ++k) {
        const int left = edges[k], right = edges[k + 1];
        const Extent lit = LitExtent(sheet, left, rowTop, right, rowTop + 45);
        ASSERT_GE(lit.right, 0) << "glyph " << k << " of the row at " << rowTop << " is empty";
        // A black column on each side keeps neighbours apart; wide glyphs reach both.
        EXPECT_GT(lit.left, left) << "glyph " << k << " at " << rowTop;
        EXPECT_LT(lit.right, right - 1) << "glyph " << k << " at " << rowTop;
        if (right - left >= 12) {
            EXPECT_LE(lit.left - left, 2) << "glyph " << k << " at " << rowTop;
            EXPECT_LE(right - 1 - lit.right, 2) << "glyph " << k << " at " << rowTop;
        }
        EXPECT_GE(lit.top, rowTop + 1);
        EXPECT_LE(lit.bottom, rowTop + 44);
    }
}

TEST(DataFiles, GlyphSheetHasLightGlyphsFillingEveryCellOnBlack) {
    const Picture sheet = Load("ABC.BMP");
    ASSERT_TRUE(sheet.Loaded()) << SDL_GetError();
    ASSERT_GE(sheet.Width(), 634);
    ASSERT_EQ(sheet.Height(), 90);
    ExpectGlyphsFillTheirCells(sheet, kLetterEdges, 26, 0);
    ExpectGlyphsFillTheirCells(sheet, kSignEdges, 20, 45);
    // Nothing outside the cells, and every lit pixel is light.
    EXPECT_EQ(sheet.Lit(634, 0, sheet.Width(), 45), 0);
    EXPECT_EQ(sheet.Lit(411, 45, sheet.Width(), 90), 0);
    for (int y = 0; y < sheet.Height(); ++y) {
        for (int x = 0; x < sheet.Width(); ++x) {
            const Rgb pixel = sheet.At(x, y);
            if (!pixel.IsBlack()) {
                ASSERT_GT(pixel.red + pixel.green + pixel.blue, 450) << x << "," << y;
            }
        }
    }
    // The letter I is a narrow glyph, M a wide one: their lit widths follow the table.
    const Extent i = LitExtent(sheet, 200, 0, 212, 45);
    const Extent m = LitExtent(sheet, 274, 0, 308, 45);
    EXPECT_GT(m.right - m.left, 3 * (i.right - i.left));
}

TEST(DataFiles, TexturesArePowerOfTwoSquaresWithoutTransparentBlack) {
    for (const char* name : {"BACK.BMP", "blue.BMP"}) {
        const Picture texture = Load(name);
        ASSERT_TRUE(texture.Loaded()) << name << ": " << SDL_GetError();
        EXPECT_EQ(texture.Width(), texture.Height()) << name;
        EXPECT_EQ(texture.Width() & (texture.Width() - 1), 0) << name;
        EXPECT_EQ(texture.Lit(0, 0, texture.Width(), texture.Height()),
                  texture.Width() * texture.Height())
            << name;
        bool patterned = false;
        for (int i = 0; i < texture.Width() * texture.Height() && !patterned; ++i) {
            const Rgb pixel = texture.At(i % texture.Width(), i / texture.Width());
            patterned = !(pixel == texture.At(0, 0));
        }
        EXPECT_TRUE(patterned) << name << " is one flat colour";
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

// The file's own left-handed data, as the 3D loader reads it.
const aiScene* LoadModel(Assimp::Importer& importer, const char* name) {
    return importer.ReadFile(kFolder + name, aiProcess_ConvertToLeftHanded);
}

const aiMesh* OnlyMesh(const aiScene* scene) {
    return scene != nullptr && scene->mNumMeshes == 1 ? scene->mMeshes[0] : nullptr;
}

// With clockwise fronts in left-handed axes, the side a face's front looks to.
aiVector3D FrontOf(const aiMesh* mesh, const aiFace& face) {
    const aiVector3D& a = mesh->mVertices[face.mIndices[0]];
    return (mesh->mVertices[face.mIndices[1]] - a) ^ (mesh->mVertices[face.mIndices[2]] - a);
}

TEST(DataFiles, PanelIsOneSixteenUnitSquareWhoseFrontFacesMinusZ) {
    Assimp::Importer importer;
    const aiMesh* panel = OnlyMesh(LoadModel(importer, "SAMPLE8.X"));
    ASSERT_NE(panel, nullptr) << importer.GetErrorString();
    ASSERT_EQ(panel->mNumFaces, 2u);
    ASSERT_EQ(panel->mNumVertices, 6u);  // the importer keeps one vertex per face corner
    ASSERT_TRUE(panel->HasNormals());
    ASSERT_TRUE(panel->HasTextureCoords(0));
    aiVector3D low(1e9f), high(-1e9f);
    for (unsigned i = 0; i < panel->mNumVertices; ++i) {
        const aiVector3D& v = panel->mVertices[i];
        low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
        high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        EXPECT_NEAR(panel->mNormals[i].z, -1.0f, 1e-6f);
        const aiVector3D& uv = panel->mTextureCoords[0][i];
        EXPECT_TRUE(uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1);
    }
    EXPECT_EQ(low, aiVector3D(-8, -8, 0));
    EXPECT_EQ(high, aiVector3D(8, 8, 0));
    // Seen from +z every face runs counter-clockwise: a back face, culled.
    for (unsigned f = 0; f < panel->mNumFaces; ++f) {
        ASSERT_EQ(panel->mFaces[f].mNumIndices, 3u);
        EXPECT_LT(FrontOf(panel, panel->mFaces[f]).z, 0) << "face " << f;
    }
}

TEST(DataFiles, BallIsAClosedSphereOfRadiusFourFacingOutward) {
    Assimp::Importer importer;
    const aiMesh* ball = OnlyMesh(LoadModel(importer, "ball.X"));
    ASSERT_NE(ball, nullptr) << importer.GetErrorString();
    ASSERT_TRUE(ball->HasNormals());
    ASSERT_TRUE(ball->HasTextureCoords(0));
    EXPECT_GE(ball->mNumFaces, 100u);
    EXPECT_EQ(ball->mNumVertices, 3 * ball->mNumFaces);
    for (unsigned i = 0; i < ball->mNumVertices; ++i) {
        const aiVector3D& v = ball->mVertices[i];
        ASSERT_NEAR(v.Length(), 4.0f, 1e-4f) << i;
        ASSERT_NEAR((ball->mNormals[i] - v / 4.0f).Length(), 0.0f, 1e-4f) << i;
    }
    for (unsigned f = 0; f < ball->mNumFaces; ++f) {
        const aiFace& face = ball->mFaces[f];
        ASSERT_EQ(face.mNumIndices, 3u);
        const aiVector3D centre = ball->mVertices[face.mIndices[0]] +
                                  ball->mVertices[face.mIndices[1]] +
                                  ball->mVertices[face.mIndices[2]];
        const aiVector3D front = FrontOf(ball, face);
        EXPECT_GT(front.Length(), 1e-3f) << "face " << f << " has no area";
        EXPECT_GT(front * centre, 0) << "face " << f << " faces inward";
    }
}

}  // namespace
