// Virtual-key translation from SDL key codes and back, and the system-key rule.
#include <gtest/gtest.h>

#include <SDL_keyboard.h>

#include "platform/virtual_keys.h"

TEST(VirtualKeysTest, SdlKeysMapToWindowsCodesAndBack) {
    const std::pair<SDL_Keycode, int> keys[] = {{SDLK_a, 0x41},     {SDLK_z, 0x5A},      {SDLK_5, 0x35},
                                                {SDLK_F1, 0x70},    {SDLK_F2, 0x71},     {SDLK_ESCAPE, 0x1B},
                                                {SDLK_LEFT, 0x25},  {SDLK_DOWN, 0x28},   {SDLK_RSHIFT, 0x10},
                                                {SDLK_UNKNOWN, -1}, {SDLK_AUDIOPLAY, -1}};
    for (const auto& [sdl, code] : keys) EXPECT_EQ(virtualKeyFromSdlKeycode(sdl), code) << SDL_GetKeyName(sdl);
    for (int code = 0; code < 256; ++code) {
        const std::int32_t keycode = sdlKeycodeFromVirtualKey(code);
        if (keycode != SDLK_UNKNOWN) {
            EXPECT_EQ(virtualKeyFromSdlKeycode(keycode), code);
        }
    }
    EXPECT_EQ(sdlKeycodeFromVirtualKey(vk::letter('W')), SDLK_w);
}

TEST(VirtualKeysTest, AltHeldAltItselfAndF10AreSystemKeys) {
    EXPECT_TRUE(isSystemKey(vk::letter('Q'), true)) << "Alt held";
    EXPECT_TRUE(isSystemKey(vk::kF10, false));
    EXPECT_TRUE(isSystemKey(vk::kMenu, false)) << "Alt itself";
    EXPECT_FALSE(isSystemKey(vk::letter('Q'), false));
    EXPECT_FALSE(isSystemKey(vk::kF1, false));
    EXPECT_FALSE(isSystemKey(vk::kEscape, false));
}
