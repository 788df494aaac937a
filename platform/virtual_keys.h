// Windows virtual-key codes and their translation from SDL key codes.
#pragma once

#include <cstdint>

namespace vk {
constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;  // Alt
constexpr int kPause = 0x13;
constexpr int kCapital = 0x14;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPrior = 0x21;
constexpr int kNext = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kSnapshot = 0x2C;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int kDigit0 = 0x30;   // '0' to '9' are 0x30 to 0x39
constexpr int kLetterA = 0x41;  // 'A' to 'Z' are 0x41 to 0x5A
constexpr int kLeftWindows = 0x5B;
constexpr int kRightWindows = 0x5C;
constexpr int kApplications = 0x5D;
constexpr int kNumpad0 = 0x60;
constexpr int kMultiply = 0x6A;
constexpr int kAdd = 0x6B;
constexpr int kSubtract = 0x6D;
constexpr int kDecimal = 0x6E;
constexpr int kDivide = 0x6F;
constexpr int kF1 = 0x70;  // F1 to F24 are 0x70 to 0x87
constexpr int kF10 = 0x79;
constexpr int kNumLock = 0x90;
constexpr int kScroll = 0x91;
constexpr int kOemSemicolon = 0xBA;
constexpr int kOemPlus = 0xBB;
constexpr int kOemComma = 0xBC;
constexpr int kOemMinus = 0xBD;
constexpr int kOemPeriod = 0xBE;
constexpr int kOemSlash = 0xBF;
constexpr int kOemBackquote = 0xC0;
constexpr int kOemOpenBracket = 0xDB;
constexpr int kOemBackslash = 0xDC;
constexpr int kOemCloseBracket = 0xDD;
constexpr int kOemQuote = 0xDE;

constexpr int letter(char upper) { return kLetterA + (upper - 'A'); }
constexpr int digit(int value) { return kDigit0 + value; }
constexpr int function(int number) { return kF1 + (number - 1); }
}  // namespace vk

// The virtual-key code of an SDL key code, or -1 for a key Windows has no code for.
int virtualKeyFromSdlKeycode(std::int32_t sdlKeycode);

// The SDL key code that produces a virtual-key code, or 0 (SDLK_UNKNOWN).
std::int32_t sdlKeycodeFromVirtualKey(int virtualKey);

// Keys pressed while Alt is held, Alt itself and F10 are system keys: they
// reach the window as system-key messages and never enter the key table.
bool isSystemKey(int virtualKey, bool altHeld);
