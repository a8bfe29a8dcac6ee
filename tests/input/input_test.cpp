// krInput over virtual joysticks and the headless keyboard.
#include <gtest/gtest.h>
#include <kr/kr.h>

#include "platform/backend/headless/headless.h"
#include "platform/virtual_joysticks.h"
#include "shell/fixture.h"

namespace {

// SDL's axis value for a position of the unsigned range.
Sint16 Axis(int position) {
    return static_cast<Sint16>(position - 32768);
}

class InputTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        krSystemState.frameSeconds = 1.0f / 60;
    }

    void TearDown() override {
        devices_.reset();
        krInput::Start();  // no joystick left in the records
        ShellTest::TearDown();
    }

    // A stick resting at the centre, measured by the start-up.
    SDL_Joystick* PlugStickAndStart() {
        SDL_Joystick* stick = devices_->Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
        krInput::Start();
        return stick;
    }

    static void Move(SDL_Joystick* stick, int x, int y) {
        SDL_JoystickSetVirtualAxis(stick, 0, Axis(x));
        SDL_JoystickSetVirtualAxis(stick, 1, Axis(y));
    }

    std::unique_ptr<VirtualJoysticks> devices_ = std::make_unique<VirtualJoysticks>();
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
    SDL_Joystick* stick = PlugStickAndStart();
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

TEST_F(InputTest, DirectionCodesFollowTheKeypadAndAxesGiveTheSigns) {
    SDL_Joystick* stick = PlugStickAndStart();
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
    SDL_Joystick* stick = PlugStickAndStart();
    SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
    EXPECT_EQ(krInput::IsButtonDown(0, 2), 1);
    EXPECT_EQ(krInput::IsButtonDown(0, 1), 0);
    EXPECT_EQ(krInput::GetButton(0, 2), 1);
    EXPECT_EQ(krInput::GetButton(0, 2), 3);
    SDL_JoystickSetVirtualButton(stick, 1, SDL_RELEASED);
    EXPECT_EQ(krInput::GetButton(0, 2), 2);
    EXPECT_EQ(krInput::GetButton(0, 2), 0);
    EXPECT_EQ(krInput::GetButton(0, 5), 0) << "only buttons 1 to 4 have edge states";

    // All four at once: button 3 pressed, then released while button 1 is pressed.
    int32_t s[4];
    SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
    krInput::GetButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
    EXPECT_EQ(s[2], 1);
    SDL_JoystickSetVirtualButton(stick, 2, SDL_RELEASED);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
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
    SDL_Joystick* stick = PlugStickAndStart();
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
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
    SDL_Joystick* stick = PlugStickAndStart();
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
    SDL_Joystick* stick = PlugStickAndStart();
    krInput::SetRates(0, 300, 50);
    krSystemState.frameSeconds = 0.5f;
    SDL_JoystickSetVirtualButton(stick, 3, SDL_PRESSED);
    const int32_t expected[] = {25, 50, 75, 100, 100};
    for (int32_t charge : expected)
        EXPECT_EQ(krInput::ChargeButton(0, 4), charge);
    krInput::Reset();
    int32_t c[4];
    krInput::ChargeButtons(0, &c[0], &c[1], &c[2], &c[3]);
    EXPECT_EQ(c[3], 25) << "reset emptied the charge and kept the rate";
    EXPECT_EQ(c[0], 0);
    SDL_JoystickSetVirtualButton(stick, 3, SDL_RELEASED);
    EXPECT_EQ(krInput::ChargeButton(0, 4), 0);
}

}  // namespace
