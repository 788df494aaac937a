// SteppedClock: platform services whose clock advances only when told, by a fixed step per frame.
#pragma once

#include <cstdint>

#include "platform/platform_services.h"

// Passes every call through to the services it replaces, except the clock:
// ticks() stands still until advance() moves it on by the step. Installed for
// --frame-time, it makes every reader of the clock (the update step, the
// camera, the animation, the frame counter) see the same fixed interval per
// frame, so a run gives the same frames on every machine.
class SteppedClock : public PlatformServices {
public:
    SteppedClock(PlatformServices& underlying, std::uint32_t stepMilliseconds)
        : underlying_(underlying), step_(stepMilliseconds) {}

    // Moves the clock on by one step; called once before each frame's update.
    void advance() { now_ += step_; }

    std::uint32_t ticks() override { return now_; }
    void cursorPosition(int& x, int& y) override { underlying_.cursorPosition(x, y); }
    void setCursorPosition(int x, int y) override { underlying_.setCursorPosition(x, y); }
    bool ownsCursor() override { return underlying_.ownsCursor(); }
    bool isKeyDown(int virtualKey) override { return underlying_.isKeyDown(virtualKey); }
    void* glProcAddress(const char* name) override { return underlying_.glProcAddress(name); }
    const char* glExtensions() override { return underlying_.glExtensions(); }
    void showMessage(const char* title, const std::string& text, MessageIcon icon) override {
        underlying_.showMessage(title, text, icon);
    }
    bool askYesNo(const char* title, const std::string& text) override { return underlying_.askYesNo(title, text); }

private:
    PlatformServices& underlying_;
    std::uint32_t step_;
    std::uint32_t now_ = 0;
};
