// FrameClock: installs the stepped clock for --frame-time and feeds the update step the time between frames.
#include "app/frame_clock.h"

#include "app/keyboard_controls.h"
#include "platform/platform_services.h"

FrameClock::FrameClock(std::uint32_t stepMilliseconds) {
    if (stepMilliseconds > 0) {
        stepped_ = std::make_unique<SteppedClock>(platform(), stepMilliseconds);
        installed_ = std::make_unique<ScopedPlatformServices>(*stepped_);
    }
}

void FrameClock::updateFrame(AppWindow& window) {
    if (stepped_ != nullptr) {
        stepped_->advance();
    }
    // Unsigned difference: the tick counter's wrap-around still gives the elapsed time.
    const std::uint32_t tickCount = platform().ticks();
    updateScene(tickCount - window.lastTickCount);
    window.lastTickCount = tickCount;
}
