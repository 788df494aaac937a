// Virtual-key translation from SDL key codes, and the system-key rule.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include "platform/virtual_keys.h"

TEST(VirtualKeysTest, LettersDigitsAndFunctionKeysMapToTheirRanges) {
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_a), 0x41);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_h), 0x48);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_z), 0x5A);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_0), 0x30);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_5), 0x35);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_F1), 0x70);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_F2), 0x71);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_F12), 0x7B);
}

TEST(VirtualKeysTest, NamedKeysMapToTheirWindowsCodes) {
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_ESCAPE), 0x1B);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_LEFT), 0x25);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_UP), 0x26);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_RIGHT), 0x27);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_DOWN), 0x28);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_RETURN), 0x0D);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_SPACE), 0x20);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_LSHIFT), 0x10);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_RSHIFT), 0x10);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_RCTRL), 0x11);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_KP_7), 0x67);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_UNKNOWN), -1);
    EXPECT_EQ(virtualKeyFromSdlKeycode(SDLK_AUDIOPLAY), -1);
}

TEST(VirtualKeysTest, EveryMappedKeyTranslatesBackToAnSdlKeyWithTheSameCode) {
    for (int code = 0; code < 256; ++code) {
        const std::int32_t keycode = sdlKeycodeFromVirtualKey(code);
        if (keycode != SDLK_UNKNOWN) {
            EXPECT_EQ(virtualKeyFromSdlKeycode(keycode), code) << "virtual key " << code;
        }
    }
    EXPECT_EQ(sdlKeycodeFromVirtualKey(vk::letter('W')), SDLK_w);
    EXPECT_EQ(sdlKeycodeFromVirtualKey(vk::kUp), SDLK_UP);
}

TEST(VirtualKeysTest, AltHeldAltItselfAndF10AreSystemKeys) {
    EXPECT_TRUE(isSystemKey(vk::letter('Q'), true));
    EXPECT_TRUE(isSystemKey(vk::kF10, false));
    EXPECT_TRUE(isSystemKey(vk::kMenu, false));
    EXPECT_FALSE(isSystemKey(vk::letter('Q'), false));
    EXPECT_FALSE(isSystemKey(vk::kF1, false));
    EXPECT_FALSE(isSystemKey(vk::kEscape, false));
}
