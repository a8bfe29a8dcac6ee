// krInput over the headless backend's joysticks and keyboard.
#include <gtest/gtest.h>
#include <kr/kr.h>

#include <vector>

#include "platform/backend/headless/headless.h"
#include "shell/fixture.h"

namespace {

using Stick = backend::JoystickReading;

class InputTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        krSystemState.frameSeconds = 1.0f / 60;
    }

    void TearDown() override {
        for (const Stick* stick : plugged_)
            headless::UnplugJoystick(*stick);
        krInput::Start();  // no joystick left in the records
        ShellTest::TearDown();
    }

    Stick& Plug() {
        Stick& stick = headless::PlugJoystick();
        plugged_.push_back(&stick);
        return stick;
    }
    void Unplug(const Stick& stick) {
        headless::UnplugJoystick(stick);
        std::erase(plugged_, &stick);
    }

    // A stick resting at the centre, measured by the start-up.
    Stick& PlugStickAndStart() {
        Stick& stick = Plug();
        krInput::Start();
        return stick;
    }

    // A position of the unsigned range on both main axes.
    static void Move(Stick& stick, int x, int y) {
        stick.axes[0] = x - 32768;
        stick.axes[1] = y - 32768;
    }
    // Button n (from 0) down or up.
    static void Press(Stick& stick, int button, bool down) {
        if (down) {
            stick.buttons |= 1u << button;
        } else {
            stick.buttons &= ~(1u << button);
        }
    }

  private:
    std::vector<const Stick*> plugged_;
};

TEST_F(InputTest, WithoutAJoystickEveryOperationGivesItsNeutralValue) {
    krInput::Start();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(krInput::GetDirection(0), 5);
    int32_t a = 99, b = 99, c = 99, d = 99;
    krInput::GetCentre(0, &a, &b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
    a = b = 99;
    krInput::GetAxes(0, &a, &b);
    krInput::GetPosition(1, &a, &b);
    krInput::GetAnalog(0, &a, &b);
    krInput::GetButtons(0, &a, &b, &c, &d);
    krInput::GetButtonStates(0, &a, &b, &c, &d);
    krInput::ChargeButtons(0, &a, &b, &c, &d);
    EXPECT_EQ(a + b + c + d, 4 * 99) << "outputs stay untouched";
    EXPECT_EQ(krInput::IsButtonDown(0, 1), 0);
    EXPECT_EQ(krInput::GetButton(0, 1), 0);
    EXPECT_EQ(krInput::ChargeButton(0, 1), 0);
}

TEST_F(InputTest, DirectionThresholdsLieAtHalfAndOneAndAHalfTimesTheCentre) {
    Stick& stick = PlugStickAndStart();
    int32_t cx = 0, cy = 0;
    krInput::GetCentre(0, &cx, &cy);
    ASSERT_EQ(cx, 32767);
    ASSERT_EQ(cy, 32767);
    const struct {
        int x, expected;
    } columns[] = {{16383, 4}, {16384, 5}, {49149, 5}, {49150, 6}, {0, 4}, {65535, 6}};
    for (const auto& column : columns) {
        Move(stick, column.x, 32767);
        EXPECT_EQ(krInput::GetDirection(0), column.expected) << "x " << column.x;
    }
    Move(stick, 32767, 16383);
    EXPECT_EQ(krInput::GetDirection(0), 8);
    Move(stick, 32767, 49150);
    EXPECT_EQ(krInput::GetDirection(0), 2);
}

// A gamepad connected while the program runs is measured at rest when it first answers, and
// measured again when it comes back after being unplugged.
TEST_F(InputTest, AJoystickPluggedInAfterTheStartIsCalibratedWhenItAppears) {
    krInput::Start();
    Stick* stick = &Plug();
    Move(*stick, 27000, 38000);  // resting beyond the dead zone
    EXPECT_EQ(krInput::GetDirection(0), 5);
    int32_t cx = 0, cy = 0;
    krInput::GetCentre(0, &cx, &cy);
    EXPECT_EQ(cx, 27000);
    EXPECT_EQ(cy, 38000);
    const int32_t expected[] = {4, 6, 8, 2};
    const int moves[][2] = {{0, 38000}, {65535, 38000}, {27000, 0}, {27000, 65535}};
    for (int i = 0; i < 4; ++i) {
        Move(*stick, moves[i][0], moves[i][1]);
        EXPECT_EQ(krInput::GetDirection(0), expected[i]) << i;
    }
    Unplug(*stick);
    EXPECT_EQ(krInput::GetDirection(0), 5);
    stick = &Plug();
    Move(*stick, 32767, 32767);
    int32_t dx = 9, dy = 9;
    krInput::GetAxes(0, &dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
}

TEST_F(InputTest, DirectionCodesFollowTheKeypadAndAxesGiveTheSigns) {
    Stick& stick = PlugStickAndStart();
    const int lowMidHigh[3] = {0, 32767, 65535};
    const int32_t keypad[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            Move(stick, lowMidHigh[column], lowMidHigh[row]);
            EXPECT_EQ(krInput::GetDirection(0), keypad[row][column]);
            int32_t dx = 9, dy = 9, x = 0, y = 0;
            krInput::GetAxes(0, &dx, &dy);
            EXPECT_EQ(dx, column - 1);
            EXPECT_EQ(dy, row - 1);
            krInput::GetPosition(0, &x, &y);
            EXPECT_EQ(x, lowMidHigh[column]);
            EXPECT_EQ(y, lowMidHigh[row]);
        }
    }
    EXPECT_EQ(krInput::GetDirection(1), 5) << "joystick 1 is absent";
}

TEST_F(InputTest, ButtonEdgesRunPressedHeldReleasedUp) {
    Stick& stick = PlugStickAndStart();
    Press(stick, 1, true);
    EXPECT_EQ(krInput::IsButtonDown(0, 2), 1);
    EXPECT_EQ(krInput::IsButtonDown(0, 1), 0);
    EXPECT_EQ(krInput::GetButton(0, 2), 1);
    EXPECT_EQ(krInput::GetButton(0, 2), 3);
    Press(stick, 1, false);
    EXPECT_EQ(krInput::GetButton(0, 2), 2);
    EXPECT_EQ(krInput::GetButton(0, 2), 0);
    EXPECT_EQ(krInput::GetButton(0, 5), 0) << "only buttons 1 to 4 have edge states";

    // All four at once: button 3 pressed, then released while button 1 is pressed.
    int32_t s[4];
    Press(stick, 2, true);
    krInput::GetButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
    EXPECT_EQ(s[2], 1);
    Press(stick, 2, false);
    Press(stick, 0, true);
    krInput::GetButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], 2);
    EXPECT_EQ(s[3], 0);
    int32_t b[4];
    krInput::GetButtons(0, &b[0], &b[1], &b[2], &b[3]);
    EXPECT_EQ(b[0] * 1000 + b[1] * 100 + b[2] * 10 + b[3], 1000);
}

TEST_F(InputTest, PresentationAndHeldInputForceEdgesUp) {
    Stick& stick = PlugStickAndStart();
    Press(stick, 0, true);
    EXPECT_EQ(krInput::GetButton(0, 1), 1);
    krDrawPresentation.transitionStep = 3;
    EXPECT_EQ(krInput::GetButton(0, 1), 0);
    krDrawPresentation.transitionStep = 0;
    EXPECT_EQ(krInput::GetButton(0, 1), 1) << "pressed again once the transition is over";
    krDrawPresentation.overlayShown = 1;
    EXPECT_EQ(krInput::GetButton(0, 1), 0);
    krDrawPresentation.overlayShown = 0;
    EXPECT_EQ(krInput::GetButton(0, 1), 1);
    krSystemState.inputHeld = 1;
    EXPECT_EQ(krInput::GetButton(0, 1), 0);
}

TEST_F(InputTest, KeyEdgesFollowTheKeyStateAndRestartAfterAHold) {
    StartCountingClient();
    int32_t state = 0;
    auto poll = [&state] {
        krInput::GetKey(VK_UP, &state);
        return state;
    };
    EXPECT_EQ(poll(), 0);
    headless::PressKey(VK_UP);
    DrainMessages();
    EXPECT_EQ(poll(), 1);
    EXPECT_EQ(poll(), 3);
    krSystem::HoldInput();
    EXPECT_EQ(poll(), 0);
    krSystem::ReleaseInput();
    EXPECT_EQ(poll(), 1) << "the held key reads as pressed again after the hold";
    headless::ReleaseKey(VK_UP);
    DrainMessages();
    EXPECT_EQ(poll(), 2);
    EXPECT_EQ(poll(), 0);
}

TEST_F(InputTest, AnalogPairRampsInTwentyFramesAtRateThreeHundred) {
    Stick& stick = PlugStickAndStart();
    int32_t ax = 0, ay = 0;
    krInput::GetAnalog(0, &ax, &ay);
    EXPECT_EQ(ax, 0) << "rates are 0 until set";
    krInput::SetRates(0, 300, 0);
    Move(stick, 65535, 0);
    for (int frame = 1; frame <= 20; ++frame) {
        krInput::GetAnalog(0, &ax, &ay);
        ASSERT_EQ(ax, frame == 20 ? 100 : 5 * frame) << "frame " << frame;
        ASSERT_EQ(ay, -ax);
    }
    krInput::GetAnalog(0, &ax, &ay);
    EXPECT_EQ(ax, 100) << "clamped";
    Move(stick, 32767, 32767);
    for (int frame = 1; frame <= 20; ++frame)
        krInput::GetAnalog(0, &ax, &ay);
    EXPECT_EQ(ax, 0);
    EXPECT_EQ(ay, 0);
    // From the far side it returns to 0 too, and stops there.
    Move(stick, 0, 32767);
    krInput::GetAnalog(0, &ax, &ay);
    Move(stick, 32767, 32767);
    krInput::GetAnalog(0, &ax, &ay);
    krInput::GetAnalog(0, &ax, &ay);
    EXPECT_EQ(ax, 0);
}

TEST_F(InputTest, ChargesFillWhileHeldEmptyOnReleaseAndResetKeepsRates) {
    Stick& stick = PlugStickAndStart();
    krInput::SetRates(0, 300, 50);
    krSystemState.frameSeconds = 0.5f;
    Press(stick, 3, true);
    const int32_t expected[] = {25, 50, 75, 100, 100};
    for (int32_t charge : expected)
        EXPECT_EQ(krInput::ChargeButton(0, 4), charge);
    krInput::Reset();
    int32_t c[4];
    krInput::ChargeButtons(0, &c[0], &c[1], &c[2], &c[3]);
    EXPECT_EQ(c[3], 25) << "reset emptied the charge and kept the rate";
    EXPECT_EQ(c[0], 0);
    Press(stick, 3, false);
    EXPECT_EQ(krInput::ChargeButton(0, 4), 0);
}

}  // namespace
