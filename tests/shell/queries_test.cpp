#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "draw/colour_depth.h"
#include "shell/fixture.h"

namespace {

namespace fs = std::filesystem;

template <size_t N>
concept TakesWeekdayName = requires(char (&name)[N]) {
    krSystem::GetDate(nullptr, nullptr, nullptr, name);
};

class QueriesTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        directory = ScratchDirectory();
        headless::SetModulePath((directory / "kirva").string());
        krDraw::ColourDepthSetting() = 16;
    }
    fs::path directory;
};

TEST_F(QueriesTest, NumberFilesRoundTripBesideTheProgram) {
    krSystem::WriteNumber("score.txt", -123456);
    EXPECT_TRUE(fs::exists(directory / "score.txt"));
    EXPECT_EQ(krSystem::ReadNumber("score.txt"), -123456);
    krSystem::WriteNumber("score.txt", 7);
    EXPECT_EQ(krSystem::ReadNumber("score.txt"), 7);
}

TEST_F(QueriesTest, NumbersOutside32BitsReadZeroNeverWrapped) {
    EXPECT_EQ(krSystem::ReadNumber("missing.txt"), 0);
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"no number here", 0},
        {" \n+12x", 12},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", 0},
        {"-2147483649", 0},
        {"4294967297", 0},
        {"000000000000000000000000000042", 42},
        {"99999999999999999999999999999999", 0},
    };
    for (const auto& c : cases) {
        std::ofstream(directory / "n.txt") << c.text;
        EXPECT_EQ(krSystem::ReadNumber("n.txt"), c.expected) << c.text;
    }
}

TEST_F(QueriesTest, NumbersGoToTheUsersFolderWhereTheProgramsIsNotWritable) {
    // A program folder that does not exist cannot be written, even by root.
    headless::SetModulePath((directory / "gone" / "game").string());
    setenv("XDG_DATA_HOME", (directory / "data").c_str(), 1);
    krSystem::WriteNumber("n.txt", 31);
    EXPECT_TRUE(fs::exists(directory / "data" / "game" / "n.txt"));
    EXPECT_EQ(krSystem::ReadNumber("n.txt"), 31);
    unsetenv("XDG_DATA_HOME");  // then under the home folder
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";
    setenv("HOME", (directory / "home").c_str(), 1);
    krSystem::WriteNumber("n.txt", 32);
    EXPECT_EQ(krSystem::ReadNumber("n.txt"), 32);
    EXPECT_TRUE(fs::exists(directory / "home" / ".local" / "share" / "game" / "n.txt"));
    setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(QueriesTest, WeekdayNamesAreTheJapaneseCharacters) {
    setenv("TZ", "UTC", 1);
    tzset();
    const char* expected[] = {"日", "月", "火", "水", "木", "金", "土"};
    const int64_t sunday = 1796515200;  // 2026-12-06 00:00 UTC, a Sunday
    for (int day = 0; day < 7; ++day) {
        headless::SetCalendarTime(sunday + day * 86400 + 3600 * 13 + 61);
        int32_t year = 0, month = 0, date = 0;
        char name[4] = "xxx";
        krSystem::GetDate(&year, &month, &date, name);
        EXPECT_STREQ(name, expected[day]);
        EXPECT_EQ(year, 2026);
        EXPECT_EQ(month, 12);
        EXPECT_EQ(date, 6 + day);
    }
    static_assert(TakesWeekdayName<4> && !TakesWeekdayName<3>,
                  "a name buffer below 4 bytes must not compile");
    int32_t hour = 0, minute = 0, second = 0;
    krSystem::GetTime(&hour, &minute, &second);
    EXPECT_EQ(hour, 13);
    EXPECT_EQ(minute, 1);
    EXPECT_EQ(second, 1);
}

TEST_F(QueriesTest, SizesAreNeverWrappedBelowTheTruth) {
    // Answers saturate at 0xFFFFFFFF rather than wrap: a wrap would often read far smaller.
    const uint32_t disk = krSystem::GetDiskFree('C');
    const fs::space_info space = fs::space(directory);
    EXPECT_EQ(disk, static_cast<uint32_t>(std::min<uintmax_t>(space.available, 0xFFFFFFFFu)));
    EXPECT_GT(krSystem::GetFreeMemory(), 0u);
}

TEST_F(QueriesTest, ColourDepthCheckPassesWhenTheDesktopIsDeepEnough) {
    headless::SetDesktop(640, 480, 16);
    krSystemState.fullScreen = 0;
    EXPECT_EQ(krSystem::CheckColourDepth("*"), 1);
    EXPECT_TRUE(headless::Boxes().empty());
    krSystemState.fullScreen = 1;
    headless::SetDesktop(640, 480, 8);
    EXPECT_EQ(krSystem::CheckColourDepth("*"), 1);
    EXPECT_TRUE(headless::Boxes().empty());
}

TEST_F(QueriesTest, ColourDepthCheckAsksToSwitchAndKeepsNoFileForStar) {
    headless::SetDesktop(640, 480, 8);
    headless::SetYesNoAnswer(IDYES);
    krSystemState.fullScreen = 0;
    EXPECT_EQ(krSystem::CheckColourDepth("*"), 1);
    EXPECT_EQ(krSystemState.fullScreen, 1);
    ASSERT_EQ(headless::Boxes().size(), 2u);
    EXPECT_EQ(headless::Boxes()[0].text,
              "　ウィンドウ状態で実行しようとしていますが、画面が256色以下に設定されています。\n"
              "正しく動作させるには、65536色以上に設定するか、フルスクリーンで実行させて下さい。"
              "\r\n");
    EXPECT_EQ(headless::Boxes()[1].text, "フルスクリーンに切り換えますか？\r\n");
    EXPECT_TRUE(fs::is_empty(directory));
}

TEST_F(QueriesTest, ColourDepthCheckStoresTheChoiceInANamedFile) {
    headless::SetDesktop(640, 480, 16);
    krDraw::Use32Bit();
    headless::SetYesNoAnswer(IDYES);
    krSystemState.fullScreen = 0;
    EXPECT_EQ(krSystem::CheckColourDepth("full.txt"), 1);
    ASSERT_EQ(headless::Boxes().size(), 2u);
    EXPECT_NE(headless::Boxes()[0].text.find("65536色以下"), std::string::npos);
    EXPECT_NE(headless::Boxes()[0].text.find("1670万色以上"), std::string::npos);
    EXPECT_EQ(headless::Boxes()[1].text, "フルスクリーンに設定し直しますか？\r\n");
    EXPECT_EQ(krSystem::ReadNumber("full.txt"), 1);
}

TEST_F(QueriesTest, ColourDepthCheckWithoutAQuestionQuits) {
    StartCountingClient(false);
    headless::SetDesktop(640, 480, 8);
    EXPECT_EQ(krSystem::CheckColourDepth(""), 0);
    EXPECT_EQ(headless::Boxes().size(), 1u);
    EXPECT_EQ(krSystemState.quitState, 2);
    RunUntilQuit();
    EXPECT_FALSE(headless::Window().exists);
}

TEST_F(QueriesTest, ColourDepthCheckAnsweredNoQuits) {
    StartCountingClient(false);
    headless::SetDesktop(640, 480, 8);
    headless::SetYesNoAnswer(IDNO);
    EXPECT_EQ(krSystem::CheckColourDepth("full.txt"), 0);
    EXPECT_EQ(headless::Boxes().size(), 2u);
    EXPECT_EQ(krSystemState.quitState, 2);
    EXPECT_FALSE(fs::exists(directory / "full.txt"));
}

}  // namespace
