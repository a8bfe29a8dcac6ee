#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/win/win.h"

namespace {

constexpr UINT kTestMessage = 0x0400;
using Messages = std::vector<std::pair<UINT, WPARAM>>;
Messages received;

LRESULT Record(HWND, UINT message, WPARAM wParam, LPARAM) {
    received.emplace_back(message, wParam);
    return 0;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Install();
        received.clear();
        win::RegisterClass(win::WNDCLASS{0, Record, nullptr, nullptr, "T", "T"});
        window = win::CreateWindowEx(0, "T", "Title", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                     nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (win::IsWindow(window)) win::DestroyWindow(window);
        TakeAll();
    }
    static Messages TakeAll() {
        Messages taken;
        MSG message;
        while (win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
            taken.emplace_back(message.message, message.wParam);
        return taken;
    }
    HWND window = nullptr;
};

TEST_F(WindowTest, AltCombinationsAndF10AreSystemKeysAndTheKeyStateFollowsTheMessagesTaken) {
    headless::PressKey(VK_F10);
    headless::ReleaseKey(VK_F10);
    headless::PressKey(VK_MENU);
    headless::PressKey(VK_F4);
    headless::ReleaseKey(VK_F4);
    headless::ReleaseKey(VK_MENU);
    headless::PressKey('A');
    EXPECT_EQ(win::GetKeyState('A'), 0);  // not taken yet
    EXPECT_EQ(TakeAll(), (Messages{{WM_SYSKEYDOWN, VK_F10},
                                   {WM_SYSKEYUP, VK_F10},
                                   {WM_SYSKEYDOWN, VK_MENU},
                                   {WM_SYSKEYDOWN, VK_F4},
                                   {WM_SYSKEYUP, VK_F4},
                                   {WM_SYSKEYUP, VK_MENU},
                                   {WM_KEYDOWN, 'A'}}));
    EXPECT_TRUE(win::GetKeyState('A') < 0 && (win::GetKeyState('A') & 0x80) != 0);
    headless::ReleaseKey('A');
    TakeAll();
    EXPECT_EQ(win::GetKeyState('A') & 0x8080, 0);
}

TEST_F(WindowTest, QuitComesAfterEverythingPostedAndDestroyDropsTheWindowsMessages) {
    win::PostQuitMessage(3);
    win::PostMessage(window, kTestMessage, 0, 0);
    MSG message;
    ASSERT_TRUE(win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, kTestMessage);
    win::PostMessage(window, kTestMessage, 1, 0);
    win::DestroyWindow(window);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().first, WM_DESTROY);
    EXPECT_EQ(TakeAll(), (Messages{{WM_QUIT, 3}}));
}

}  // namespace
