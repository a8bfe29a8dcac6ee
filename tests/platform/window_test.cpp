#include <gtest/gtest.h>

#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/win/events.h"
#include "platform/win/win.h"

namespace {

constexpr UINT kTestMessage = 0x0400;
std::vector<MSG> received;

LRESULT Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(MSG{window, message, wParam, lParam, 0});
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
        MSG message;
        while (win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    std::vector<MSG> TakeAll() {
        std::vector<MSG> taken;
        MSG message;
        while (win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
            taken.push_back(message);
        return taken;
    }
    HWND window = nullptr;
};

TEST_F(WindowTest, FirstShowingPlacesAndActivatesAtOnceAndOnlyOnce) {
    win::ShowWindow(window, SW_SHOWNORMAL);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_MOVE);
    EXPECT_EQ(received[1].message, WM_ACTIVATEAPP);
    EXPECT_EQ(received[1].wParam, WPARAM{1});
    win::ShowWindow(window, SW_SHOWNORMAL);
    headless::SetActive(true);  // already active: nothing new
    EXPECT_TRUE(TakeAll().empty());
    headless::SetActive(false);
    const auto taken = TakeAll();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].wParam, WPARAM{0});
}

TEST_F(WindowTest, AltCombinationsAndF10AreSystemKeys) {
    headless::PressKey(VK_F10);
    headless::ReleaseKey(VK_F10);
    headless::PressKey(VK_MENU);
    headless::PressKey(VK_F4);
    headless::ReleaseKey(VK_F4);
    headless::ReleaseKey(VK_MENU);
    headless::PressKey('A');
    const auto taken = TakeAll();
    ASSERT_EQ(taken.size(), 7u);
    EXPECT_EQ(taken[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(taken[1].message, WM_SYSKEYUP);
    EXPECT_EQ(taken[2].message, WM_SYSKEYDOWN);
    EXPECT_EQ(taken[3].message, WM_SYSKEYDOWN);
    EXPECT_EQ(taken[3].wParam, WPARAM{VK_F4});
    EXPECT_EQ(taken[6].message, WM_KEYDOWN);
    EXPECT_EQ(taken[6].wParam, WPARAM{'A'});
}

TEST_F(WindowTest, KeyStateFollowsTheMessagesTaken) {
    headless::PressKey(VK_LEFT);
    EXPECT_EQ(win::GetKeyState(VK_LEFT) & 0x8000, 0);  // not taken yet
    TakeAll();
    EXPECT_NE(win::GetKeyState(VK_LEFT) & 0x8000, 0);
    EXPECT_LT(win::GetKeyState(VK_LEFT), 0);
    EXPECT_NE(win::GetKeyState(VK_LEFT) & 0x80, 0);
    headless::ReleaseKey(VK_LEFT);
    TakeAll();
    EXPECT_EQ(win::GetKeyState(VK_LEFT) & 0x8000, 0);
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
    EXPECT_EQ(received.back().message, WM_DESTROY);
    ASSERT_TRUE(win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, WPARAM{3});
    EXPECT_FALSE(win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, MessagesFromAnotherThreadArriveInOrder) {
    win::PostMessageFromAnyThread(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    const auto taken = TakeAll();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].message, MM_MCINOTIFY);
    EXPECT_EQ(taken[0].lParam, 7);
}

}  // namespace
