// krInput over the headless backend's joysticks and keyboard.
#include <gtest/gtest.h>
#include <kr/kr.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/joy/joy.h"
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

// A position as the operations read it: small deflections rest at the centre.
int Read(int position) {
    const int axis = position - 32768;
    return axis > -int{joy::kDeadZone} && axis < int{joy::kDeadZone} ? int{joy::kCentre} : position;
}

// The sign of one axis from the thresholds at half and one and a half times the centre.
int Sign(int position, int centre) {
    const int half = centre / 2;
    return position <= half ? -1 : position >= centre + half ? 1 : 0;
}

// The analog value of one axis after one frame, stepped by the rate times the frame time.
float NextAnalog(float value, int sign, float step) {
    if (sign != 0) return std::clamp(value + static_cast<float>(sign) * step, -100.0f, 100.0f);
    if (value > 0) return std::max(value - step, 0.0f);
    return std::min(value + step, 0.0f);
}

// Random centres and positions, many on and beside the thresholds: the keypad code, the axes'
// signs, the position, and the analog pair frame after frame, against the arithmetic.
TEST_F(InputTest, DirectionAxesAndAnalogFollowTheThresholds) {
    std::mt19937 random(5);
    const int keypad[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
    for (int run = 0; run < 20; ++run) {
        Stick& stick = Plug();
        const int restX = static_cast<int>(random() % 65536),
                  restY = static_cast<int>(random() % 65536);
        Move(stick, restX, restY);
        const int cx = Read(restX), cy = Read(restY);
        krInput::Start();
        const float rate = static_cast<float>(random() % 400);
        krSystemState.frameSeconds = 0.125f;  // steps exact in binary
        krInput::SetRates(0, rate, 0);
        float analogX = 0, analogY = 0;
        const auto near = [&](int centre) {
            const int edges[] = {centre / 2, centre + centre / 2};
            const int position = edges[random() % 2] + static_cast<int>(random() % 3) - 1;
            return random() % 2 == 0 ? static_cast<int>(random() % 65536)
                                     : std::clamp(position, 0, 65535);
        };
        for (int frame = 0; frame < 100; ++frame) {
            const int setX = near(cx), setY = near(cy);
            Move(stick, setX, setY);
            const int x = Read(setX), y = Read(setY);
            const int dx = Sign(x, cx), dy = Sign(y, cy);
            ASSERT_EQ(krInput::GetDirection(0), keypad[dy + 1][dx + 1])
                << "centre " << cx << "," << cy << " at " << x << "," << y;
            int32_t axisX = 9, axisY = 9, readX = 0, readY = 0, outX = 0, outY = 0;
            krInput::GetAxes(0, &axisX, &axisY);
            EXPECT_EQ(axisX, dx);
            EXPECT_EQ(axisY, dy);
            krInput::GetPosition(0, &readX, &readY);
            EXPECT_EQ(readX, x);
            EXPECT_EQ(readY, y);
            analogX = NextAnalog(analogX, dx, rate * 0.125f);
            analogY = NextAnalog(analogY, dy, rate * 0.125f);
            krInput::GetAnalog(0, &outX, &outY);
            ASSERT_EQ(outX, static_cast<int32_t>(analogX)) << "rate " << rate << " frame " << frame;
            ASSERT_EQ(outY, static_cast<int32_t>(analogY)) << "rate " << rate << " frame " << frame;
        }
        Unplug(stick);
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
    for (const int32_t outside : {0, 5})
        EXPECT_EQ(krInput::ChargeButton(0, outside), 0) << "only buttons 1 to 4 charge";
}

}  // namespace
