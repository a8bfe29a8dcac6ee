#include <string>
#include <vector>

#include "draw/draw_fixture.h"

namespace {

using krDraw::sprites;

constexpr const char* kTooMany = "オブジェクト数が多すぎます";
constexpr const char* kCannotRead = "BMPファイルを読み込めません";

assets::Picture TwoColours(int width, int height, assets::Rgb first, assets::Rgb rest) {
    assets::Picture picture(width, height, rest);
    picture.at(0, 0) = first;
    return picture;
}

dd::DDCOLORKEY KeyOf(int32_t object) {
    dd::DDCOLORKEY key{};
    EXPECT_EQ(sprites[object].surface->GetColorKey(dd::DDCKEY_SRCBLT, &key), dd::DD_OK);
    return key;
}

class SpriteTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        WriteBitmap("SMALL.BMP", TwoColours(4, 2, {0, 0, 255}, {255, 255, 0}));
    }
};

TEST_F(SpriteTest, ANameOf30BytesLoadsAnd31IsRefusedBeforeASlotIsTaken) {
    ASSERT_EQ(OpenDisplay(), 1);
    const std::string thirty = std::string(26, 'a') + ".BMP";
    WriteBitmap(thirty, TwoColours(2, 2, {0, 0, 0}, {255, 0, 0}));
    EXPECT_EQ(krDraw::LoadObject(thirty.c_str()), 2);
    EXPECT_STREQ(sprites[2].name, thirty.c_str());
    const std::string thirtyOne = "b" + thirty;
    WriteBitmap(thirtyOne, TwoColours(2, 2, {0, 0, 0}, {255, 0, 0}));
    EXPECT_EQ(krDraw::LoadObject(thirtyOne.c_str()), 0);
    EXPECT_EQ(krDraw::SwapObject(thirtyOne.c_str(), 2), 0);
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{
                                "krDraw::LoadObject : ファイル名またはリソース名が長すぎます",
                                "krDraw::SwapObject : ファイル名またはリソース名が長すぎます"}));
    EXPECT_EQ(sprites[3].name[0], '\0');
    EXPECT_STREQ(sprites[2].name, thirty.c_str());  // the refused swap left the slot alone
}

TEST_F(SpriteTest, AFullTableRefusesAndTheLowestFreeSlotIsReused) {
    ASSERT_EQ(OpenDisplay(), 1);
    for (int32_t expected = 2; expected < krDraw::kObjectSlots; ++expected)
        ASSERT_EQ(krDraw::LoadObject("SMALL.BMP"), expected);
    EXPECT_EQ(krDraw::LoadObject("SMALL.BMP"), 0);
    EXPECT_EQ(krDraw::CreateObject(), 0);
    EXPECT_EQ(ErrorTexts(),
              (std::vector<std::string>{std::string("krDraw::LoadObject : ") + kTooMany,
                                        std::string("krDraw::CreateObject : ") + kTooMany}));
    krDraw::ReleaseObject(700);
    krDraw::ReleaseObject(500);
    EXPECT_EQ(sprites[500].surface, nullptr);
    EXPECT_EQ(krDraw::LoadObject("SMALL.BMP"), 500);
    EXPECT_EQ(krDraw::CreateObject(), 700);
}

TEST_F(SpriteTest, AMissingBitmapIsReportedAndLeavesTheSlotFree) {
    ASSERT_EQ(OpenDisplay(), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(krDraw::LoadObject("NOSUCH.BMP"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              std::string(program_invocation_short_name) + ": cannot load picture \"" +
                  krSystem::GetDataPath(0) + "NOSUCH.BMP\": no such file\n");
    EXPECT_EQ(ErrorTexts(),
              std::vector<std::string>{std::string("krDraw::LoadObject : ") + kCannotRead});
    EXPECT_EQ(sprites[2].name[0], '\0');
    EXPECT_EQ(sprites[2].surface, nullptr);
    EXPECT_EQ(krDraw::LoadObject("SMALL.BMP"), 2);
    EXPECT_EQ(krDraw::SwapObject("NOSUCH.BMP", 2), 0);
    EXPECT_EQ(sprites[2].name[0], '\0');
    EXPECT_EQ(sprites[2].surface, nullptr);
}

struct MagentaCase {
    bool use32, use555;
    uint32_t key;
};

class MagentaTest : public SpriteTest, public testing::WithParamInterface<MagentaCase> {};

// Magenta's key is the format's own value: the match borrows the first pixel, which shares its
// 32-bit word with the next on a 16-bit surface, and gives it back.
TEST_P(MagentaTest, MatchesTheFormatsOwnValue) {
    WriteBitmap("WIDE.BMP", TwoColours(4, 2, {0, 0, 0}, {255, 255, 255}));
    if (GetParam().use32) krDraw::Use32Bit();
    dd::test::Use555For16Bit(GetParam().use555);
    ASSERT_EQ(OpenDisplay(), 1);
    krDraw::SetColorKey(kMagenta);
    const int32_t object = krDraw::LoadObject("WIDE.BMP");
    EXPECT_EQ(KeyOf(object).dwColorSpaceLowValue, GetParam().key);
    EXPECT_EQ(KeyOf(object).dwColorSpaceHighValue, GetParam().key);
    EXPECT_EQ(sprites[object].colourKeySetting, static_cast<int32_t>(kMagenta));
    EXPECT_EQ(SurfacePixel(sprites[object].surface, 0, 0), kBlack);
}

INSTANTIATE_TEST_SUITE_P(Formats, MagentaTest,
                         testing::Values(MagentaCase{false, false, 0xF81F},
                                         MagentaCase{false, true, 0x7C1F},
                                         MagentaCase{true, false, 0x00FF00FF}));

// A corner key of a 32-bit surface keeps the top byte; the copy of a key changes no setting.
TEST_F(SpriteTest, TheCornerKeyTakesTheTopLeftPixelUntilAColourIsSet) {
    krDraw::Use32Bit();
    ASSERT_EQ(OpenDisplay(), 1);
    krDraw::UseCornerKey();
    const int32_t corner = krDraw::LoadObject("SMALL.BMP");
    EXPECT_EQ(KeyOf(corner).dwColorSpaceLowValue, 0x0000FFu);
    EXPECT_EQ(sprites[corner].colourKeySetting, -1);
    krDraw::SetColorKey(kRed);
    const int32_t keyed = krDraw::LoadObject("SMALL.BMP");
    EXPECT_EQ(KeyOf(keyed).dwColorSpaceLowValue, 0xFF0000u);
    EXPECT_EQ(krDraw::CopyColorKey(corner, keyed), dd::DD_OK);
    EXPECT_EQ(KeyOf(corner).dwColorSpaceLowValue, 0xFF0000u);
    EXPECT_EQ(sprites[corner].colourKeySetting, -1);
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(sprites[keyed].surface->Lock(nullptr, &desc, 0, nullptr), dd::DD_OK);
    *static_cast<uint32_t*>(desc.lpSurface) = 0xAB123456;
    sprites[keyed].surface->Unlock(nullptr);
    EXPECT_EQ(krDraw::SetObjectCornerKey(keyed), dd::DD_OK);
    EXPECT_EQ(KeyOf(keyed).dwColorSpaceLowValue, 0xAB123456u);
    EXPECT_EQ(sprites[keyed].colourKeySetting, -1);
}

TEST_F(SpriteTest, SwapReplacesTheSurfaceInTheSameSlot) {
    WriteBitmap("OTHER.BMP", TwoColours(8, 8, {0, 255, 0}, {0, 255, 0}));
    ASSERT_EQ(OpenDisplay(), 1);
    const int32_t object = krDraw::LoadObject("SMALL.BMP");
    const int live = dd::test::LiveSurfaces();
    EXPECT_EQ(krDraw::SwapObject("OTHER.BMP", object), 1);
    EXPECT_EQ(dd::test::LiveSurfaces(), live);  // the old surface went first
    EXPECT_STREQ(sprites[object].name, "OTHER.BMP");
    EXPECT_EQ(SurfacePixel(sprites[object].surface, 7, 7), kGreen);
    // Into an empty slot it simply loads.
    EXPECT_EQ(krDraw::SwapObject("SMALL.BMP", 40), 1);
    EXPECT_STREQ(sprites[40].name, "SMALL.BMP");
    EXPECT_EQ(dd::test::LiveSurfaces(), live + 1);
}

TEST_F(SpriteTest, NumbersOutsideTheTableAreIgnored) {
    ASSERT_EQ(OpenDisplay(), 1);
    krDraw::ReleaseObject(-1);
    krDraw::ReleaseObject(krDraw::kObjectSlots);
    EXPECT_EQ(krDraw::SwapObject("SMALL.BMP", 5000), 0);
    EXPECT_NE(krDraw::SetObjectColorKey(-3, kRed), dd::DD_OK);
    krDraw::PutObject(0, 0, 99999, 0, 0, 10, 10);
    EXPECT_EQ(CountBack(kBlack), 640 * 480);
}

}  // namespace
