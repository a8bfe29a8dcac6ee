// The joystick platform over SDL's virtual joysticks, and the headless backend's.
#include "platform/joy/joy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/backend/headless/headless.h"
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/virtual_joysticks.h"

namespace {

using namespace joy;

class JoyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend::Install(&sdl::Instance());
        ASSERT_EQ(joyConfigChanged(0), JOYERR_NOERROR);
    }

    void TearDown() override {
        devices_.reset();
        unsetenv("SDL_GAMECONTROLLERCONFIG");
        joyConfigChanged(0);
        backend::Install(nullptr);
    }

    SDL_Joystick* Plug(SDL_JoystickType type, int axes, int buttons, int hats) {
        return devices_->Plug(type, axes, buttons, hats);
    }
    void Unplug(SDL_Joystick* stick) { devices_->Unplug(stick); }

    static JOYINFOEX Block(DWORD flags) {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = flags;
        return info;
    }

    // Everything of joystick 0, with the dead zone.
    static JOYINFOEX ReadFirst() {
        JOYINFOEX info = Block(JOY_RETURNALL | JOY_USEDEADZONE);
        EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
        return info;
    }

  private:
    std::unique_ptr<VirtualJoysticks> devices_ = std::make_unique<VirtualJoysticks>();
};

TEST_F(JoyTest, AbsentJoysticksAndBadArgumentsAnswerTheirCodes) {
    JOYINFOEX info = Block(JOY_RETURNALL);
    EXPECT_EQ(joyGetPosEx(JOYSTICKID1, &info), JOYERR_UNPLUGGED);
    EXPECT_EQ(joyGetPosEx(JOYSTICKID2, &info), JOYERR_UNPLUGGED);
    EXPECT_EQ(joyGetPosEx(kMaxJoysticks, &info), JOYERR_PARMS);
    EXPECT_EQ(joyGetPosEx(0, nullptr), MMSYSERR_INVALPARAM);
    info.dwSize = 40;
    EXPECT_EQ(joyGetPosEx(0, &info), MMSYSERR_INVALPARAM);
}

TEST_F(JoyTest, AxesSpanTheUnsignedRangeAndButtonsAreBits) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 6, 0);
    SDL_JoystickSetVirtualAxis(stick, 0, -32768);
    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickSetVirtualAxis(stick, 2, -16385);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(stick, 5, SDL_PRESSED);
    JOYINFOEX info = ReadFirst();
    EXPECT_EQ(info.dwXpos, 0u);
    EXPECT_EQ(info.dwYpos, 65535u);
    EXPECT_EQ(info.dwZpos, 16383u);
    EXPECT_EQ(info.dwRpos, kCentre);  // an axis the device lacks rests
    EXPECT_EQ(info.dwButtons, JOY_BUTTON1 | JOY_BUTTON3 | 0x20u);
    EXPECT_EQ(info.dwButtonNumber, 3u);
    EXPECT_EQ(info.dwPOV, JOY_POVCENTERED);
}

TEST_F(JoyTest, DeadZoneRestsSmallDeflectionsOnlyWhenAsked) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    SDL_JoystickSetVirtualAxis(stick, 0, 1000);
    SDL_JoystickSetVirtualAxis(stick, 1, -int(kDeadZone));
    JOYINFOEX raw = Block(JOY_RETURNX | JOY_RETURNY);
    ASSERT_EQ(joyGetPosEx(0, &raw), JOYERR_NOERROR);
    EXPECT_EQ(raw.dwXpos, 33768u);
    JOYINFOEX steadied = Block(JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE);
    ASSERT_EQ(joyGetPosEx(0, &steadied), JOYERR_NOERROR);
    EXPECT_EQ(steadied.dwXpos, kCentre);
    EXPECT_EQ(steadied.dwYpos, 32768 - kDeadZone);  // the zone's edge is outside
}

TEST_F(JoyTest, OnlyTheAskedFieldsAreWritten) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 2, 1);
    SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
    JOYINFOEX info = Block(JOY_RETURNBUTTONS);
    info.dwXpos = info.dwZpos = info.dwPOV = 12345;
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwButtons, JOY_BUTTON2);
    EXPECT_EQ(info.dwXpos, 12345u);
    EXPECT_EQ(info.dwZpos, 12345u);
    EXPECT_EQ(info.dwPOV, 12345u);
}

TEST_F(JoyTest, HatGivesThePointOfViewAndSteersTheMainAxes) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 1);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFTDOWN);
    JOYINFOEX info = ReadFirst();
    EXPECT_EQ(info.dwPOV, 22500u);
    EXPECT_EQ(info.dwXpos, 0u);
    EXPECT_EQ(info.dwYpos, 65535u);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_UP);
    info = ReadFirst();
    EXPECT_EQ(info.dwPOV, JOY_POVFORWARD);
    EXPECT_EQ(info.dwXpos, kCentre);
    EXPECT_EQ(info.dwYpos, 0u);
}

TEST_F(JoyTest, JoystickZeroIsTheFirstConnectedAndUnpluggingMovesTheNextUp) {
    SDL_Joystick* first = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    SDL_Joystick* second = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    SDL_JoystickSetVirtualAxis(first, 0, -32768);
    SDL_JoystickSetVirtualAxis(second, 0, 32767);
    JOYINFOEX info = Block(JOY_RETURNX);
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 0u);
    ASSERT_EQ(joyGetPosEx(1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 65535u);
    Unplug(first);
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 65535u);
    EXPECT_EQ(joyGetPosEx(1, &info), JOYERR_UNPLUGGED);
}

// Replays and tests do not depend on what is plugged into the machine.
TEST(HeadlessJoy, NoJoystickUntilATestPlugsOneIn) {
    VirtualJoysticks devices;
    devices.Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    headless::Install();
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    EXPECT_EQ(joyConfigChanged(0), JOYERR_NOERROR);
    EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_UNPLUGGED);
    backend::JoystickReading& stick = headless::PlugJoystick();
    stick.axes[2] = -32768;
    stick.hat = backend::kHatDown | backend::kHatLeft;
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwZpos, 0u);
    EXPECT_EQ(info.dwPOV, 22500u);
    EXPECT_EQ(joyGetPosEx(1, &info), JOYERR_UNPLUGGED);
    headless::UnplugJoystick(stick);
    EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_UNPLUGGED);
    backend::Install(nullptr);
}

TEST_F(JoyTest, GameControllerReadsSticksButtonsTriggersAndPad) {
    SDL_Joystick* pad = Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                             SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_TRUE(SDL_IsGameController(0)) << "the virtual pad has a mapping";
    ReadFirst();  // opened at rest, as at start-up
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_PRESSED);
    const JOYINFOEX info = ReadFirst();
    EXPECT_EQ(info.dwXpos, 65535u);
    EXPECT_EQ(info.dwYpos, 0u);  // the pad's up
    EXPECT_EQ(info.dwPOV, JOY_POVFORWARD);
    EXPECT_EQ(info.dwZpos, 65535u);
    EXPECT_EQ(info.dwButtons, JOY_BUTTON1 | 0x20u);  // A and the right shoulder
}

TEST_F(JoyTest, MappingsFromTheEnvironmentMakeAJoystickAController) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0);
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(stick), guid, sizeof guid);
    Unplug(stick);
    std::string device = guid;
    device.replace(4, 4, "0000");  // database lines name no checksum of the device's name
    // The device's buttons and axes swapped over by the mapping.
    const std::string mapping = device + ",Test Pad,a:b1,b:b0,leftx:a1,lefty:a0,";
    setenv("SDL_GAMECONTROLLERCONFIG", mapping.c_str(), 1);
    ASSERT_EQ(joyConfigChanged(0), JOYERR_NOERROR);
    stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0);
    ASSERT_TRUE(SDL_IsGameController(0));
    SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(stick, 1, -32768);
    JOYINFOEX info = ReadFirst();
    EXPECT_EQ(info.dwButtons, JOY_BUTTON1);
    EXPECT_EQ(info.dwXpos, 0u);
    EXPECT_EQ(info.dwYpos, kCentre);
}

}  // namespace
