// AppWindow and KeyState: the window record and the table of keys held down, by virtual-key code.
#pragma once

#include <cstdint>
#include <string>

struct NativeWindow;

constexpr int kKeyStateSize = 256;

// 1 while the key with that virtual-key code is down, 0 otherwise. Beside
// it, which keys went down since the update step last read the table: a
// frame may take longer than a tap, and a key pressed and released between
// two updates must still reach the scene once.
struct KeyState {
    int keys[kKeyStateSize] = {};
    int pressedSinceUpdate[kKeyStateSize] = {};
    int& operator[](int code) { return keys[code]; }
    int operator[](int code) const { return keys[code]; }
    // What the update step acts on: down now, or tapped since the last update.
    bool counts(int code) const { return keys[code] == 1 || pressedSinceUpdate[code] == 1; }
    // Called by the update step once it has read the table.
    void forgetPresses() {
        for (int& pressed : pressedSinceUpdate) pressed = 0;
    }
    void clear() {
        for (int& key : keys) key = 0;
        forgetPresses();
    }
};

struct AppInstance {
    const char* className = "OpenGL";
};

struct AppWindow {
    KeyState* keys = nullptr;
    NativeWindow* native = nullptr;  // window and its GL context; null when not held
    AppInstance* application = nullptr;
    std::string title;
    int width = 0;  // requested client size from the configuration; a resize does not change it
    int height = 0;
    int bitsPerPixel = 32;
    int isFullScreen = 0;
    int isVisible = 0;  // frames are only drawn while this is 1
    std::uint32_t lastTickCount = 0;
};
