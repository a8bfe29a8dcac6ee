#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/fixture.h"

namespace {

namespace fs = std::filesystem;

class PathTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        root = ScratchDirectory();
        fs::create_directories(root / "config");
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        headless::SetModulePath("/games/demo/run");
        krSystem::LoadDataRoot("none-such.txt");  // no override
    }
    void TearDown() override {
        krSystem::LoadDataRoot("none-such.txt");
        ShellTest::TearDown();
    }
    void WriteRootFile(const std::string& content) {
        std::ofstream(root / "config" / "root.txt") << content;
    }
    fs::path root;
};

// What standard error received during a call.
template <class Call>
std::string ErrorOutput(Call call) {
    ::testing::internal::CaptureStderr();
    call();
    return ::testing::internal::GetCapturedStderr();
}

std::string Line(const std::string& text) {
    return std::string(program_invocation_short_name) + ": " + text + "\n";
}

// Each box's text, title and type and its line on standard error; only error boxes beep.
TEST_F(ShellTest, BoxesShowTheirTextAndWriteOneLine) {
    headless::SetYesNoAnswer(IDYES);
    EXPECT_EQ(ErrorOutput([] {
                  EXPECT_EQ(krSystem::ErrorBox("krSystem::SetWait", "ウェイトNoが範囲外です"), 0);
                  EXPECT_EQ(krSystem::ErrorBox("client", "自分のテキスト"), 0);
                  krSystem::MessageBox("%d %s", 42, "個");
                  EXPECT_EQ(krSystem::YesNoBox("ok?"), 1);
              }),
              Line("krSystem::SetWait: wait number out of range") + Line("client: 自分のテキスト") +
                  Line("42 個") + Line("ok?"));
    headless::SetYesNoAnswer(IDNO);
    EXPECT_EQ(krSystem::YesNoBox("ok?"), 0);
    const UINT error = MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL;
    const struct {
        const char *text, *caption;
        UINT type;
    } boxes[] = {{"krSystem::SetWait : ウェイトNoが範囲外です", "エラー発生", error},
                 {"client : 自分のテキスト", "エラー発生", error},
                 {"42 個\r\n", "メッセージ", error},
                 {"ok?\r\n", "メッセージ", MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL}};
    ASSERT_EQ(headless::Boxes().size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(headless::Boxes()[i].text, boxes[i].text);
        EXPECT_EQ(headless::Boxes()[i].caption, boxes[i].caption) << boxes[i].text;
        EXPECT_EQ(headless::Boxes()[i].type, boxes[i].type) << boxes[i].text;
    }
    EXPECT_EQ(headless::BeepCount(), 2);
}

// The box keeps its text; standard error names the file and why it did not load.
TEST_F(PathTest, AFileErrorNamesTheFileAndTheProblem) {
    const fs::path garbage = root / "GARBAGE.BMP", missing = root / "MISSING.BMP";
    std::ofstream(garbage) << "not a picture";
    const struct {
        fs::path path;
        const char* problem;
    } cases[] = {{missing, "no such file"},
                 {garbage, "not in a form it can read"},
                 {root, "is a folder"},
                 {root / std::string(300, 'n'), "file name too long"}};
    for (const auto& c : cases) {
        headless::ClearBoxes();
        EXPECT_EQ(ErrorOutput([&] {
                      krSystem::FileErrorBox("krDraw::LoadObject", "BMPファイルを読み込めません",
                                             c.path.c_str());
                  }),
                  Line("cannot load picture \"" + c.path.string() + "\": " + c.problem));
        ASSERT_EQ(headless::Boxes().size(), 1u);
        EXPECT_EQ(headless::Boxes()[0].text, "krDraw::LoadObject : BMPファイルを読み込めません");
    }
}

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// Box texts are cut to 255 bytes, and never inside a character.
TEST_F(ShellTest, AnOverlongBoxTextIsCutInsideItsBufferBetweenCharacters) {
    krSystem::ErrorBox(std::string(400, 'x').c_str(), "message");
    krSystem::ErrorBox(("x" + Repeated("あ", 100)).c_str(), "message");
    krSystem::ErrorBox(("xyz" + Repeated("😀", 70)).c_str(), "message");
    krSystem::MessageBox("%s", Repeated("あ", 100).c_str());
    ASSERT_EQ(headless::Boxes().size(), 4u);
    EXPECT_EQ(headless::Boxes()[0].text, std::string(255, 'x'));
    EXPECT_EQ(headless::Boxes()[1].text, "x" + Repeated("あ", 84));
    EXPECT_EQ(headless::Boxes()[2].text, "xyz" + Repeated("😀", 63));
    EXPECT_EQ(headless::Boxes()[3].text, Repeated("あ", 84) + "\r\n");
}

TEST_F(PathTest, DataPathIsTheProgramsDirectoryHoweverLong) {
    EXPECT_STREQ(krSystem::GetDataPath(0), "/games/demo/");
    // A folder longer than the 255 characters that the data path once held.
    const std::string folder = "/games/" + std::string(258, 'd') + "/";
    headless::SetModulePath(folder + "run");
    EXPECT_EQ(krSystem::GetDataPath(0), folder);
}

// The data root file's first line, without its line end and one trailing separator, moves the
// number files under it into a folder named like the program's; no line, or one too long for
// any path, is no override, never the cut start of one.
TEST_F(PathTest, TheDataRootFileMovesNumberFilesUnderItsFolder) {
    const std::string longRoot = "/" + std::string(250, 's');
    const struct {
        std::string program, line, numbers;
    } cases[] = {{"/games/demo/run", "/save/\nignored second line\n", "/save/demo/"},
                 {"/games/demo/run", "/save\r\n", "/save/demo/"},
                 {"/games/demo/run", "", "/games/demo/"},
                 {"/games/demo/run", "/", "/games/demo/"},
                 {"/run", "/save", "/save/"},
                 {"/demo/run", "/save", "/save/demo/"},
                 {"/games/demo/run", longRoot, longRoot + "/demo/"}};
    for (const auto& c : cases) {
        headless::SetModulePath(c.program.c_str());
        WriteRootFile(c.line);
        krSystem::LoadDataRoot("root.txt");
        EXPECT_EQ(krSystem::GetDataPath(1), c.numbers) << c.line;
    }
    WriteRootFile("/" + std::string(PATH_MAX + 10, 'x') + "\n");
    krSystem::LoadDataRoot("root.txt");
    EXPECT_STREQ(krSystem::GetDataPath(1), "/games/demo/");
}

TEST_F(PathTest, NumberFilesUnderARootTooLongForAnyPathAreNeitherWrittenNorRead) {
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    WriteRootFile("/" + std::string(PATH_MAX - 4, 's'));  // the root fits, the folder in it not
    krSystem::LoadDataRoot("root.txt");
    EXPECT_STREQ(krSystem::GetDataPath(1), "");
    krSystem::WriteNumber("n.txt", 5);
    EXPECT_FALSE(fs::exists(root / "data"));
    EXPECT_EQ(krSystem::ReadNumber("n.txt"), 0);
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
