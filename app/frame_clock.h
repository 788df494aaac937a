// FrameClock: the frame loop's clock, the platform's own or one that --frame-time steps, and each frame's update.
#pragma once

#include <cstdint>
#include <memory>

#include "app/stepped_clock.h"
#include "state/app_window.h"

class FrameClock {
public:
    // A step of 0 keeps the platform's clock. Any other step installs a
    // SteppedClock in its place for every reader (the window's tick count, the
    // update step, the camera) for as long as this object lives, window
    // re-creations included.
    explicit FrameClock(std::uint32_t stepMilliseconds);

    // One frame's update: moves a stepped clock on by its step, then runs the
    // update step with the milliseconds since the window's previous frame and
    // keeps the new tick count as that frame's.
    void updateFrame(AppWindow& window);

private:
    std::unique_ptr<SteppedClock> stepped_;
    // Declared after the clock it installs, so it is undone before the clock goes.
    std::unique_ptr<ScopedPlatformServices> installed_;
};
