#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "draw/colour_depth.h"
#include "shell/fixture.h"

namespace {

namespace fs = std::filesystem;

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

// Numbers written beside the program read back; a file's text reads as its first number, and
// one outside 32 bits reads 0, never wrapped.
TEST_F(QueriesTest, NumberFilesRoundTripAndNumbersOutside32BitsReadZero) {
    EXPECT_EQ(krSystem::ReadNumber("missing.txt"), 0);
    for (const int32_t number : {-123456, 7}) {
        krSystem::WriteNumber("score.txt", number);
        EXPECT_EQ(krSystem::ReadNumber("score.txt"), number);
    }
    EXPECT_TRUE(fs::exists(directory / "score.txt"));
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {{"no number here", 0},
                 {" \n+12x", 12},
                 {"2147483647", INT32_MAX},
                 {"-2147483648", INT32_MIN},
                 {"2147483648", 0},
                 {"-2147483649", 0},
                 {"4294967297", 0},
                 {"000000000000000000000000000042", 42},
                 {"99999999999999999999999999999999", 0}};
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
    int32_t hour = 0, minute = 0, second = 0;
    krSystem::GetTime(&hour, &minute, &second);
    EXPECT_EQ(hour, 13);
    EXPECT_EQ(minute, 1);
    EXPECT_EQ(second, 1);
}

// The colour-depth check: a deep enough desktop, or a full screen, passes silently; otherwise the
// warning and the question; yes switches to full screen (and a named file keeps the choice), no
// or no question quits.
struct DepthCheck {
    int desktopBits;
    bool use32, fullScreen;
    int answer;  // 0: not asked
    const char* file;
    int32_t result;
    size_t boxes;
};
class ColourDepthCheckTest : public QueriesTest, public testing::WithParamInterface<DepthCheck> {};

TEST_P(ColourDepthCheckTest, WarnsAsksAndSwitchesOrQuits) {
    const DepthCheck& c = GetParam();
    StartCountingClient(c.fullScreen);
    headless::SetDesktop(640, 480, c.desktopBits);
    if (c.use32) krDraw::Use32Bit();
    if (c.answer != 0) headless::SetYesNoAnswer(c.answer);
    EXPECT_EQ(krSystem::CheckColourDepth(c.file), c.result);
    ASSERT_EQ(headless::Boxes().size(), c.boxes);
    EXPECT_EQ(krSystemState.fullScreen, c.fullScreen || c.answer == IDYES ? 1 : 0);
    EXPECT_EQ(krSystemState.quitState, c.result == 1 ? 0 : 2);
    const bool named = std::string(c.file) != "*" && c.file[0] != '\0';
    EXPECT_EQ(named ? krSystem::ReadNumber(c.file) : 0, named && c.answer == IDYES ? 1 : 0);
    EXPECT_EQ(fs::is_empty(directory), !named || c.answer != IDYES);
    if (c.boxes == 0) return;
    const bool shallow = c.desktopBits <= 8;
    EXPECT_EQ(headless::Boxes()[0].text,
              std::string("　ウィンドウ状態で実行しようとしていますが、画面が") +
                  (shallow ? "256色以下" : "65536色以下") +
                  "に設定されています。\n正しく動作させるには、" +
                  (shallow ? "65536色以上" : "1670万色以上") +
                  "に設定するか、フルスクリーンで実行させて下さい。\r\n");
    if (c.boxes == 2) {
        EXPECT_EQ(headless::Boxes()[1].text, named ? "フルスクリーンに設定し直しますか？\r\n"
                                                   : "フルスクリーンに切り換えますか？\r\n");
    }
}

// A deep enough window; a shallow full screen; a shallow window switched, keeping no file for
// "*"; 16 bits below the asked 32, switched and the choice stored; no question, or no, quits.
INSTANTIATE_TEST_SUITE_P(Desktops, ColourDepthCheckTest,
                         testing::Values(DepthCheck{16, false, false, 0, "*", 1, 0},
                                         DepthCheck{8, false, true, 0, "*", 1, 0},
                                         DepthCheck{8, false, false, IDYES, "*", 1, 2},
                                         DepthCheck{16, true, false, IDYES, "full.txt", 1, 2},
                                         DepthCheck{8, false, false, 0, "", 0, 1},
                                         DepthCheck{8, false, false, IDNO, "full.txt", 0, 2}));

}  // namespace
