// Translation between SDL key codes and Windows virtual-key codes.
#include "platform/virtual_keys.h"

#include <SDL_keycode.h>

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int virtualKey;
};

// Keys whose code is not derived from a letter, digit or function-key range.
// Where two SDL keys share a code (both Shift keys, the keypad Enter), the
// first entry is the one a virtual key maps back to.
constexpr KeyPair kNamedKeys[] = {
    {SDLK_BACKSPACE, vk::kBackspace},
    {SDLK_TAB, vk::kTab},
    {SDLK_RETURN, vk::kReturn},
    {SDLK_KP_ENTER, vk::kReturn},
    {SDLK_LSHIFT, vk::kShift},
    {SDLK_RSHIFT, vk::kShift},
    {SDLK_LCTRL, vk::kControl},
    {SDLK_RCTRL, vk::kControl},
    {SDLK_LALT, vk::kMenu},
    {SDLK_RALT, vk::kMenu},
    {SDLK_PAUSE, vk::kPause},
    {SDLK_CAPSLOCK, vk::kCapital},
    {SDLK_ESCAPE, vk::kEscape},
    {SDLK_SPACE, vk::kSpace},
    {SDLK_PAGEUP, vk::kPrior},
    {SDLK_PAGEDOWN, vk::kNext},
    {SDLK_END, vk::kEnd},
    {SDLK_HOME, vk::kHome},
    {SDLK_LEFT, vk::kLeft},
    {SDLK_UP, vk::kUp},
    {SDLK_RIGHT, vk::kRight},
    {SDLK_DOWN, vk::kDown},
    {SDLK_PRINTSCREEN, vk::kSnapshot},
    {SDLK_INSERT, vk::kInsert},
    {SDLK_DELETE, vk::kDelete},
    {SDLK_LGUI, vk::kLeftWindows},
    {SDLK_RGUI, vk::kRightWindows},
    {SDLK_APPLICATION, vk::kApplications},
    {SDLK_KP_MULTIPLY, vk::kMultiply},
    {SDLK_KP_PLUS, vk::kAdd},
    {SDLK_KP_MINUS, vk::kSubtract},
    {SDLK_KP_PERIOD, vk::kDecimal},
    {SDLK_KP_DIVIDE, vk::kDivide},
    {SDLK_NUMLOCKCLEAR, vk::kNumLock},
    {SDLK_SCROLLLOCK, vk::kScroll},
    {SDLK_SEMICOLON, vk::kOemSemicolon},
    {SDLK_EQUALS, vk::kOemPlus},
    {SDLK_COMMA, vk::kOemComma},
    {SDLK_MINUS, vk::kOemMinus},
    {SDLK_PERIOD, vk::kOemPeriod},
    {SDLK_SLASH, vk::kOemSlash},
    {SDLK_BACKQUOTE, vk::kOemBackquote},
    {SDLK_LEFTBRACKET, vk::kOemOpenBracket},
    {SDLK_BACKSLASH, vk::kOemBackslash},
    {SDLK_RIGHTBRACKET, vk::kOemCloseBracket},
    {SDLK_QUOTE, vk::kOemQuote},
};

constexpr SDL_Keycode kKeypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

constexpr SDL_Keycode kFunctionKeys[] = {SDLK_F1,  SDLK_F2,  SDLK_F3,  SDLK_F4,  SDLK_F5,  SDLK_F6,
                                         SDLK_F7,  SDLK_F8,  SDLK_F9,  SDLK_F10, SDLK_F11, SDLK_F12,
                                         SDLK_F13, SDLK_F14, SDLK_F15, SDLK_F16, SDLK_F17, SDLK_F18,
                                         SDLK_F19, SDLK_F20, SDLK_F21, SDLK_F22, SDLK_F23, SDLK_F24};

}  // namespace

int virtualKeyFromSdlKeycode(std::int32_t sdlKeycode) {
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) {
        return vk::kLetterA + (sdlKeycode - SDLK_a);
    }
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) {
        return vk::kDigit0 + (sdlKeycode - SDLK_0);
    }
    for (int i = 0; i < 10; ++i) {
        if (kKeypadDigits[i] == sdlKeycode) {
            return vk::kNumpad0 + i;
        }
    }
    for (int i = 0; i < 24; ++i) {
        if (kFunctionKeys[i] == sdlKeycode) {
            return vk::kF1 + i;
        }
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.sdl == sdlKeycode) {
            return pair.virtualKey;
        }
    }
    return -1;
}

std::int32_t sdlKeycodeFromVirtualKey(int virtualKey) {
    if (virtualKey >= vk::kLetterA && virtualKey <= vk::letter('Z')) {
        return SDLK_a + (virtualKey - vk::kLetterA);
    }
    if (virtualKey >= vk::kDigit0 && virtualKey <= vk::digit(9)) {
        return SDLK_0 + (virtualKey - vk::kDigit0);
    }
    if (virtualKey >= vk::kNumpad0 && virtualKey < vk::kNumpad0 + 10) {
        return kKeypadDigits[virtualKey - vk::kNumpad0];
    }
    if (virtualKey >= vk::kF1 && virtualKey < vk::kF1 + 24) {
        return kFunctionKeys[virtualKey - vk::kF1];
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.virtualKey == virtualKey) {
            return pair.sdl;
        }
    }
    return SDLK_UNKNOWN;
}

bool isSystemKey(int virtualKey, bool altHeld) { return altHeld || virtualKey == vk::kMenu || virtualKey == vk::kF10; }
