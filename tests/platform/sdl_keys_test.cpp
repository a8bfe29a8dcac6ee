#include <gtest/gtest.h>

#include "platform/backend/sdl/sdl_backend.h"

namespace {

TEST(SdlKeys, LettersDigitsAndFunctionKeysTakeTheirVirtualCodes) {
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_a), 'A');
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_z), 'Z');
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_0), '0');
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_9), '9');
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_F1), VK_F1);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_F10), VK_F10);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_F12), VK_F12);
}

TEST(SdlKeys, TheGameKeysAndTheKeypad) {
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_LEFT), 37);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_DOWN), 40);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_RALT), VK_MENU);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_RSHIFT), VK_SHIFT);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_KP_0), VK_NUMPAD0);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_KP_1), VK_NUMPAD0 + 1);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_KP_9), VK_NUMPAD0 + 9);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_KP_ENTER), VK_RETURN);
    EXPECT_EQ(sdl::VirtualKeyFromSdl(SDLK_VOLUMEUP), 0);  // unknown to the program
}

}  // namespace
