// krInput over the headless backend's joysticks and keyboard.
#include <gtest/gtest.h>
#include <kr/kr.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/joy/joy.h"
#include "shell/fixture.h"

namespace {

using Stick = backend::JoystickReading;

class InputTest : public ShellTest {
  protected:
    void TearDown() override {
        for (const Stick* stick : plugged_)
            headless::UnplugJoystick(*stick);
        krInput::Start();  // no joystick left in the records
        ShellTest::TearDown();
    }
    Stick& Plug() {
        plugged_.push_back(&headless::PlugJoystick());
        return *plugged_.back();
    }
    void Unplug(Stick& stick) {
        headless::UnplugJoystick(stick);
        std::erase(plugged_, &stick);
    }
    // A position of the unsigned range on both main axes.
    static void Move(Stick& stick, int x, int y) {
        stick.axes[0] = x - 32768;
        stick.axes[1] = y - 32768;
    }

  private:
    std::vector<Stick*> plugged_;
};

// Without a joystick every operation gives its neutral value; a gamepad connected while the
// program runs is measured at rest when it first answers, and measured again when it comes back
// after being unplugged.
TEST_F(InputTest, AJoystickPluggedInAfterTheStartIsCalibratedWhenItAppears) {
    krInput::Start();
    EXPECT_EQ(krInput::GetDirection(0), 5);
    int32_t a = 99, b = 99, c = 99, d = 99;
    krInput::GetCentre(0, &a, &b);
    EXPECT_EQ(a + b, 0);
    a = b = 99;
    krInput::GetAxes(0, &a, &b);
    krInput::GetPosition(1, &a, &b);
    krInput::GetAnalog(0, &a, &b);
    krInput::GetButtons(0, &a, &b, &c, &d);
    krInput::GetButtonStates(0, &a, &b, &c, &d);
    krInput::ChargeButtons(0, &a, &b, &c, &d);
    EXPECT_EQ(a + b + c + d, 4 * 99) << "outputs stay untouched";
    EXPECT_EQ(krInput::IsButtonDown(0, 1) + krInput::GetButton(0, 1) + krInput::ChargeButton(0, 1),
              0);
    Stick* stick = &Plug();
    Move(*stick, 27000, 38000);  // resting beyond the dead zone
    EXPECT_EQ(krInput::GetDirection(0), 5);
    int32_t cx = 0, cy = 0;
    krInput::GetCentre(0, &cx, &cy);
    EXPECT_EQ(std::make_pair(cx, cy), std::make_pair(27000, 38000));
    Move(*stick, 27000, 0);
    EXPECT_EQ(krInput::GetDirection(0), 8);
    Unplug(*stick);
    EXPECT_EQ(krInput::GetDirection(0), 5);
    stick = &Plug();
    Move(*stick, 32767, 32767);
    krInput::GetAxes(0, &cx, &cy);
    EXPECT_EQ(cx + cy, 0);
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
            krInput::GetPosition(0, &readX, &readY);
            EXPECT_EQ(std::make_tuple(axisX, axisY, readX, readY), std::make_tuple(dx, dy, x, y));
            analogX = NextAnalog(analogX, dx, rate * 0.125f);
            analogY = NextAnalog(analogY, dy, rate * 0.125f);
            krInput::GetAnalog(0, &outX, &outY);
            ASSERT_EQ(std::make_pair(outX, outY),
                      std::make_pair(int32_t(analogX), int32_t(analogY)))
                << "rate " << rate << " frame " << frame;
        }
        Unplug(stick);
    }
    EXPECT_EQ(krInput::GetDirection(1), 5) << "joystick 1 is absent";
}

// Random presses of the four buttons, frame after frame: each button's edge state (down: 1 after
// 0, else 3 held, so a press right after a release reads as held; up: 2 after 1 or 3, else 0),
// its plain state, and its charge, which fills by the rate times the frame time while held up to
// 100 and empties on release.
TEST_F(InputTest, ButtonEdgesAndChargesFollowThePresses) {
    Stick& stick = Plug();
    krInput::Start();
    krSystemState.frameSeconds = 0.125f;
    std::mt19937 random(9);
    int32_t edge[4] = {};
    float charge[4] = {}, rate = 0;
    for (int run = 0; run < 10; ++run) {
        rate = static_cast<float>(random() % 300);
        krInput::SetRates(0, 0, rate);
        for (int frame = 0; frame < 50; ++frame) {
            stick.buttons = random() % 16;
            int32_t s[4], b[4], c[4];
            const bool single = frame % 2 == 1;  // every other frame one button at a time
            if (!single) krInput::GetButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
            if (!single) krInput::ChargeButtons(0, &c[0], &c[1], &c[2], &c[3]);
            krInput::GetButtons(0, &b[0], &b[1], &b[2], &b[3]);
            for (int i = 0; i < 4; ++i) {
                const bool down = (stick.buttons >> i & 1) != 0;
                if (single) s[i] = krInput::GetButton(0, i + 1);
                if (single) c[i] = krInput::ChargeButton(0, i + 1);
                charge[i] = down ? std::min(charge[i] + rate * 0.125f, 100.0f) : 0.0f;
                edge[i] = down ? (edge[i] == 0 ? 1 : 3) : (edge[i] % 2 == 1 ? 2 : 0);  // 1, 3: down
                ASSERT_EQ(s[i], edge[i]) << i << " frame " << frame;
                ASSERT_EQ(b[i], down ? 1 : 0) << i;
                ASSERT_EQ(c[i], static_cast<int32_t>(charge[i])) << i << " rate " << rate;
                ASSERT_EQ(krInput::IsButtonDown(0, i + 1), down ? 1 : 0) << i;
            }
        }
    }
    stick.buttons = 8;
    krInput::ChargeButton(0, 4);
    krInput::ChargeButton(0, 4);
    krInput::Reset();
    EXPECT_EQ(krInput::ChargeButton(0, 4), static_cast<int32_t>(std::min(rate * 0.125f, 100.0f)))
        << "reset empties the charges and keeps the rate";
    for (const int32_t outside : {0, 5})
        EXPECT_EQ(krInput::GetButton(0, outside) + krInput::ChargeButton(0, outside), 0)
            << "only buttons 1 to 4 have edges and charges";
}

TEST_F(InputTest, PresentationAndHeldInputForceEdgesUp) {
    Plug().buttons = 1;
    krInput::Start();
    // Each blocker forces the edge up; once it is gone the held button reads as pressed again.
    for (const auto& [blocker, value] : {std::pair{&krDrawPresentation.transitionStep, 3},
                                         {&krDrawPresentation.overlayShown, 1},
                                         {&krSystemState.inputHeld, 1}}) {
        EXPECT_EQ(krInput::GetButton(0, 1), 1);
        *blocker = value;
        EXPECT_EQ(krInput::GetButton(0, 1), 0) << value;
        *blocker = 0;
    }
}

TEST_F(InputTest, KeyEdgesFollowTheKeyStateAndRestartAfterAHold) {
    StartCountingClient();
    int32_t state = 0;
    const auto poll = [&state] {
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

}  // namespace
