#pragma once
// Virtual devices plugged in for a test and unplugged after it; the test holds each open to
// move its axes, buttons and hats.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

// It keeps the joystick system running, as a real device stays plugged in while the program
// restarts its joystick use.
class VirtualJoysticks {
  public:
    VirtualJoysticks() { EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError(); }
    ~VirtualJoysticks() {
        while (!attached_.empty())
            Unplug(attached_.front());
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    VirtualJoysticks(const VirtualJoysticks&) = delete;
    VirtualJoysticks& operator=(const VirtualJoysticks&) = delete;

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

  private:
    std::vector<SDL_Joystick*> attached_;
};
