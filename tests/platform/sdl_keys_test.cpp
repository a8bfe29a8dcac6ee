#include <gtest/gtest.h>

#include "platform/backend/sdl/sdl_backend.h"

namespace {

TEST(SdlKeys, KeysTakeTheVirtualCodesTheGameReads) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_a, 'A'},        {SDLK_z, 'Z'},           {SDLK_0, '0'},
        {SDLK_9, '9'},        {SDLK_F1, VK_F1},        {SDLK_F10, VK_F10},
        {SDLK_F12, VK_F12},   {SDLK_ESCAPE, 27},       {SDLK_LEFT, 37},
        {SDLK_UP, 38},        {SDLK_RIGHT, 39},        {SDLK_DOWN, 40},
        {SDLK_RALT, VK_MENU}, {SDLK_RSHIFT, VK_SHIFT}, {SDLK_KP_0, VK_NUMPAD0},
        {SDLK_KP_1, 0x61},    {SDLK_KP_9, 0x69},       {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_VOLUMEUP, 0},  // unknown to the program
    };
    for (const auto& [key, code] : keys)
        EXPECT_EQ(sdl::VirtualKeyFromSdl(key), code) << SDL_GetKeyName(key);
}

}  // namespace
