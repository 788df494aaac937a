// Overlay status: the text with its start tick and duration on the platform clock.
#include "frame/overlay_status.h"

#include "platform/platform_services.h"

namespace {

struct Status {
    std::string text;
    std::uint32_t shownAt = 0;
    std::uint32_t duration = 0;
};

Status& status() {
    static Status* const current = new Status();
    return *current;
}

}  // namespace

void showOverlayStatus(const std::string& text, std::uint32_t milliseconds) {
    status().text = text;
    status().shownAt = platform().ticks();
    status().duration = milliseconds;
}

void clearOverlayStatus() { status().text.clear(); }

std::string overlayStatus() {
    const Status& current = status();
    // Unsigned difference: correct across the tick counter's wrap-around.
    if (current.duration != 0 && platform().ticks() - current.shownAt >= current.duration) {
        return std::string();
    }
    return current.text;
}
