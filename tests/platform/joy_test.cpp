// The joystick platform over SDL's virtual joysticks, and the headless backend's.
#include "platform/joy/joy.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"

namespace {

using namespace joy;

// Virtual devices plugged in for a test and unplugged after it; the test holds each open to
// move its axes, buttons and hats. The joystick system keeps running in between, as a real
// device stays plugged in while the program restarts its joystick use.
class JoyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        backend::Install(&sdl::Instance());
        ASSERT_EQ(joyConfigChanged(0), JOYERR_NOERROR);
    }
    void TearDown() override {
        while (!attached_.empty())
            Unplug(attached_.front());
        joyConfigChanged(0);
        backend::Install(nullptr);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    SDL_Joystick* Plug(SDL_JoystickType type, int axes, int buttons, int hats) {
        const int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* stick = SDL_JoystickOpen(index);
        EXPECT_NE(stick, nullptr) << SDL_GetError();
        attached_.push_back(stick);
        return stick;
    }
    void Unplug(SDL_Joystick* stick) {
        const SDL_JoystickID instance = SDL_JoystickInstanceID(stick);
        SDL_JoystickClose(stick);
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == instance)
                SDL_JoystickDetachVirtual(index);
        }
        std::erase(attached_, stick);
    }

    // The asked fields of joystick n; the others keep a marker.
    static JOYINFOEX Read(DWORD flags, UINT n = 0, MMRESULT expected = JOYERR_NOERROR) {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = flags;
        info.dwXpos = info.dwYpos = info.dwZpos = info.dwRpos = info.dwPOV = 12345;
        EXPECT_EQ(joyGetPosEx(n, &info), expected);
        return info;
    }

  private:
    std::vector<SDL_Joystick*> attached_;
};

// Axes span the unsigned range; the dead zone rests small deflections (and an axis the device
// lacks) at the centre only when asked, and its edge is outside it; a pressed hat gives the
// point of view and steers the main axes.
TEST_F(JoyTest, AxesDeadZoneAndHatAsTheProgramReadsThem) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 1, 1);
    const int16_t edge = -static_cast<int16_t>(kDeadZone);
    const struct {
        int16_t x, y, z;
        Uint8 hat;
        DWORD flags;
        DWORD xpos, ypos, zpos, pov;
    } cases[] = {
        {-32768, 32767, -16385, SDL_HAT_CENTERED, JOY_USEDEADZONE, 0, 65535, 16383,
         JOY_POVCENTERED},
        {1000, edge, 0, SDL_HAT_CENTERED, 0, 33768, 32768 - kDeadZone, 32768, JOY_POVCENTERED},
        {1000, edge, 0, SDL_HAT_CENTERED, JOY_USEDEADZONE, kCentre, 32768 - kDeadZone, kCentre,
         JOY_POVCENTERED},
        {0, 0, 0, SDL_HAT_LEFTDOWN, JOY_USEDEADZONE, 0, 65535, kCentre, 22500},
        {0, 0, 0, SDL_HAT_UP, JOY_USEDEADZONE, kCentre, 0, kCentre, JOY_POVFORWARD},
    };
    for (const auto& c : cases) {
        SDL_JoystickSetVirtualAxis(stick, 0, c.x);
        SDL_JoystickSetVirtualAxis(stick, 1, c.y);
        SDL_JoystickSetVirtualAxis(stick, 2, c.z);
        SDL_JoystickSetVirtualHat(stick, 0, c.hat);
        const JOYINFOEX info = Read(JOY_RETURNALL | c.flags);
        EXPECT_EQ(std::tie(info.dwXpos, info.dwYpos, info.dwZpos, info.dwPOV, info.dwRpos),
                  std::make_tuple(c.xpos, c.ypos, c.zpos, c.pov, c.flags == 0 ? 32768 : kCentre))
            << c.x << "," << c.y << "," << c.z << " hat " << int{c.hat};
    }
}

TEST_F(JoyTest, ButtonsAreBitsAndOnlyTheAskedFieldsAreWritten) {
    SDL_Joystick* stick = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 6, 1);
    for (const int button : {0, 2, 5})
        SDL_JoystickSetVirtualButton(stick, button, SDL_PRESSED);
    const JOYINFOEX info = Read(JOY_RETURNBUTTONS);
    EXPECT_EQ(std::tie(info.dwButtons, info.dwButtonNumber),
              std::make_tuple(JOY_BUTTON1 | JOY_BUTTON3 | 0x20u, 3u));
    for (const DWORD field : {info.dwXpos, info.dwYpos, info.dwZpos, info.dwPOV})
        EXPECT_EQ(field, 12345u);
}

// Joystick 0 is the first connected and unplugging moves the next up; absent joysticks and bad
// arguments answer their codes.
TEST_F(JoyTest, JoystickZeroIsTheFirstConnectedAndUnpluggingMovesTheNextUp) {
    Read(JOY_RETURNALL, JOYSTICKID1, JOYERR_UNPLUGGED);
    Read(JOY_RETURNALL, kMaxJoysticks, JOYERR_PARMS);
    EXPECT_EQ(joyGetPosEx(0, nullptr), MMSYSERR_INVALPARAM);
    SDL_Joystick* first = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    SDL_Joystick* second = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
    SDL_JoystickSetVirtualAxis(first, 0, -32768);
    SDL_JoystickSetVirtualAxis(second, 0, 32767);
    EXPECT_EQ(Read(JOY_RETURNX, 0).dwXpos, 0u);
    EXPECT_EQ(Read(JOY_RETURNX, 1).dwXpos, 65535u);
    Unplug(first);
    EXPECT_EQ(Read(JOY_RETURNX, 0).dwXpos, 65535u);
    Read(JOY_RETURNX, 1, JOYERR_UNPLUGGED);
    JOYINFOEX small{};
    small.dwSize = 40;
    EXPECT_EQ(joyGetPosEx(0, &small), MMSYSERR_INVALPARAM);
}

TEST_F(JoyTest, GameControllerReadsSticksButtonsTriggersAndPad) {
    SDL_Joystick* pad = Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                             SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_TRUE(SDL_IsGameController(0)) << "the virtual pad has a mapping";
    Read(JOY_RETURNALL);  // opened at rest, as at start-up
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    for (const auto button : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                              SDL_CONTROLLER_BUTTON_DPAD_UP})
        SDL_JoystickSetVirtualButton(pad, button, SDL_PRESSED);
    const JOYINFOEX info = Read(JOY_RETURNALL | JOY_USEDEADZONE);
    // The pad's up; A and the right shoulder.
    EXPECT_EQ(std::tie(info.dwXpos, info.dwYpos, info.dwPOV, info.dwZpos, info.dwButtons),
              std::make_tuple(65535u, 0u, DWORD{JOY_POVFORWARD}, 65535u, JOY_BUTTON1 | 0x20u));
}

}  // namespace
