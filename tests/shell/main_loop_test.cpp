#include <string>
#include <vector>

#include "platform/win/win.h"
#include "shell/fixture.h"

namespace {

// Full screen: a popup covering the desktop, the pointer hidden over it; windowed: a 640 by 480
// client area (title and borders added) centred above other windows, the pointer hidden over
// the client area only. Either way the screen saver never starts.
class StartUpTest : public ShellTest, public testing::WithParamInterface<bool> {};

TEST_P(StartUpTest, MakesTheKirvaWindowAndHidesThePointerOverThePicture) {
    const bool full = GetParam();
    headless::SetDesktop(1024, 768, 32);
    StartCountingClient(full);
    const headless::WindowInfo& window = headless::Window();
    const int width = full ? 1024 : 640 + 1 + 2 + 3, height = full ? 768 : 480 + 19 + 2 + 1 + 3;
    EXPECT_TRUE(window.exists && window.shown && window.hasIcon);  // the program's "MAIN" icon
    EXPECT_EQ(window.title, "KIRVA");
    EXPECT_EQ(window.popup, full);
    EXPECT_TRUE(full || window.topmost);
    EXPECT_EQ(window.width, width);
    EXPECT_EQ(window.height, height);
    EXPECT_EQ(window.x, (1024 - width) / 2);
    EXPECT_EQ(window.y, (768 - height) / 2);
    EXPECT_EQ(win::SendMessage(krSystemState.windowHandle, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
    if (!full) win::SendMessage(krSystemState.windowHandle, WM_MOVE, 0, MAKELPARAM(100, 50));
    for (const int x : {150, 100 + 640}) {
        headless::MoveMouse(x, 60);
        DrainMessages();
        Pass();
        const bool over = full || x == 150;
        EXPECT_EQ(headless::CursorVisible(), !over) << x;
        EXPECT_TRUE(full || krSystemState.cursorVisible == (over ? 0 : 1)) << x;
    }
}

INSTANTIATE_TEST_SUITE_P(FullScreenOrWindowed, StartUpTest, testing::Bool());

// The record holds a line that fits with its terminator; a longer one is kept whole elsewhere
// and leaves the record empty rather than cut. Parameter: the line's length past the record's.
class CommandLineTest : public ShellTest, public testing::WithParamInterface<int> {};

TEST_P(CommandLineTest, ALineTooLongForTheRecordIsKeptWholeNeverCut) {
    const size_t length = sizeof krSystemState.commandLine + static_cast<size_t>(GetParam());
    const std::string line = "--load " + std::string(length - 7, 'f');
    krSystem::RegisterClient([] { krSystemState.scene = 1; }, {{1, [] {}}});
    ASSERT_TRUE(krSystem::StartUp(nullptr, line.c_str(), SW_SHOWNORMAL));
    EXPECT_EQ(krSystem::GetCommandLine(), line);
    EXPECT_EQ(krSystemState.commandLine, GetParam() < 0 ? line : "");
}

INSTANTIATE_TEST_SUITE_P(Lengths, CommandLineTest, testing::Values(-1, 0, 50));

TEST_F(ShellTest, RunJoinsTheArgumentsWithSingleSpaces) {
    krSystem::RegisterClient([] { krSystemState.scene = 1; }, {{1, [] { krSystem::Quit(); }}});
    char program[] = "game", first[] = "--seed", second[] = "7";
    char* argv[] = {program, first, second};
    EXPECT_EQ(krSystem::Run(3, argv), 0);
    EXPECT_STREQ(krSystem::GetCommandLine(), "--seed 7");
}

// Confinement, when wanted, follows the window's moves, and a right double click toggles it; when
// not wanted nothing confines the pointer.
TEST_F(ShellTest, CursorConfinementOnlyWhenWanted) {
    StartCountingClient(false);
    for (const int32_t wanted : {0, 1}) {
        krSystemState.cursorClipOption = wanted;
        krSystem::UnclipCursor();
        const auto expectClipped = [&](int32_t clipped, const char* after) {
            DrainMessages();
            Pass();
            EXPECT_EQ(krSystem::IsCursorClipped(), clipped) << after << ", wanted " << wanted;
        };
        headless::MoveWindow(40, 30);
        expectClipped(wanted, "a move");
        win::PostMessage(krSystemState.windowHandle, WM_RBUTTONDBLCLK, 0, 0);
        expectClipped(0, "a right double click");
        win::PostMessage(krSystemState.windowHandle, WM_RBUTTONDBLCLK, 0, 0);
        expectClipped(wanted, "a second right double click");
    }
}

// Frames run only while active, the first of a scene sees sceneChanged, and reactivation starts
// the frame timer afresh.
TEST_F(ShellTest, FramesRunOnlyWhileActive) {
    static std::vector<int32_t> changed;
    changed.clear();
    krSystem::RegisterClient([] { krSystemState.scene = 1; },
                             {{1, [] { changed.push_back(krSystemState.sceneChanged); }}});
    ASSERT_TRUE(krSystem::StartUp(nullptr, "", SW_SHOWNORMAL));
    headless::AdvanceClock(20);
    Pass();
    EXPECT_FLOAT_EQ(krSystemState.frameSeconds, 0.020f);
    Pass();
    EXPECT_EQ(changed, (std::vector<int32_t>{1, 0}));
    headless::SetActive(false);
    for (int i = 0; i < 5; ++i)
        Pass();  // takes the deactivation, then waits and runs nothing
    EXPECT_EQ(changed.size(), 2u);
    headless::AdvanceClock(60000);  // a minute away
    headless::SetActive(true);
    Pass();
    headless::AdvanceClock(10);
    Pass();
    EXPECT_EQ(changed.size(), 3u);
    EXPECT_FLOAT_EQ(krSystemState.frameSeconds, 0.010f);
}

TEST_F(ShellTest, EscapeRunsTheTransitionAloneThenQuitsThroughTheClosingSceneOnce) {
    StartCountingClient();
    Pass();
    headless::PressKey(VK_ESCAPE);
    Pass();  // the key starts the forward transition
    EXPECT_EQ(krSystemState.nextScene, krSceneClosing);
    for (int step = 1; step <= 10; ++step) {
        EXPECT_EQ(krSystemState.scene, 1) << step;
        Pass();  // one transition step; the scene's frame does not run
    }
    EXPECT_EQ(framesRun, 1);
    EXPECT_EQ(krSystemState.scene, krSceneClosing);
    EXPECT_EQ(krSystemState.quitState, 0);
    Pass();  // the closing frame quits
    EXPECT_EQ(krSystemState.quitState, 2);
    RunUntilQuit();
    EXPECT_FALSE(win::IsWindow(krSystemState.windowHandle));
}

// The last key holds the second key pressed until it is released; system keys are swallowed;
// a watched key counts its releases.
TEST_F(ShellTest, KeysReachTheRecord) {
    StartCountingClient();
    krSystem::WatchKeyRelease(VK_SPACE);
    for (int i = 0; i < 2; ++i) {
        headless::PressKey(VK_SPACE);
        headless::ReleaseKey(VK_SPACE);
    }
    headless::PressKey(VK_LEFT);
    headless::PressKey(VK_UP);
    headless::ReleaseKey(VK_LEFT);
    DrainMessages();
    EXPECT_EQ(krSystemState.lastKey, VK_UP);
    EXPECT_EQ(krSystem::GetKeyReleaseCount(), 2);
    headless::ReleaseKey(VK_UP);
    for (const int32_t key : {VK_MENU, VK_F4, VK_F10})
        headless::PressKey(key);
    DrainMessages();
    EXPECT_EQ(krSystemState.lastKey, 0);
    EXPECT_EQ(win::SendMessage(krSystemState.windowHandle, WM_SYSKEYDOWN, VK_F4, 0), 0);
    EXPECT_EQ(krSystemState.quitState, 0);
}

// Held input keeps keys and clicks aside; released, a click is seen by exactly one frame.
TEST_F(ShellTest, HeldInputKeepsKeysAndClicksAsideAndAClickIsSeenByOneFrame) {
    StartCountingClient();
    krSystem::HoldInput();
    headless::PressKey('Z');
    win::PostMessage(krSystemState.windowHandle, WM_LBUTTONDOWN, 0, 0);
    DrainMessages();
    EXPECT_EQ(krSystemState.heldKey, 'Z');
    EXPECT_EQ(krSystemState.lastKey, 0);
    EXPECT_EQ(krSystemState.heldClick, 1);
    EXPECT_EQ(krSystemState.leftPressed, 0);
    headless::ReleaseKey('Z');
    DrainMessages();
    EXPECT_EQ(krSystemState.heldKey, 0);
    krSystem::ReleaseInput();
    headless::MoveMouse(300, 200);
    win::PostMessage(krSystemState.windowHandle, WM_LBUTTONDOWN, 0, MAKELPARAM(300, 200));
    DrainMessages();
    EXPECT_EQ(krSystemState.leftClicked, 1);
    Pass();
    EXPECT_EQ(krSystemState.leftClicked, 0);
    EXPECT_EQ(krSystemState.leftPressed, 1);
}

}  // namespace
