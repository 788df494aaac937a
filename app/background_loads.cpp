// Background loads: one job slot per kind, the overlay's loading line and the clock restart after a switch.
#include "app/background_loads.h"

#include <cstdint>
#include <cstdio>

#include "camera/camera.h"
#include "frame/overlay_status.h"
#include "platform/job_slot.h"
#include "platform/platform_services.h"

namespace {

constexpr std::uint32_t kMillisecondsPerSecond = 1000;

struct Load {
    JobSlot slot;
    std::string name;
    std::uint32_t startedAt = 0;
    std::uint64_t order = 0;  // drops counted from the start: the overlay names the latest pending one
};

std::uint64_t dropsStarted = 0;

// A plain static: should the process end without endBackgroundLoads (an
// unreadable noise map during a window re-creation), its destruction still
// stops the workers before the libraries they use go.
Load loads[static_cast<int>(LoadKind::Count)];

Load& load(LoadKind kind) { return loads[static_cast<int>(kind)]; }

void showLoading(const Load& pending) {
    const std::uint32_t seconds = (platform().ticks() - pending.startedAt) / kMillisecondsPerSecond;
    showOverlayStatus("Loading " + pending.name + " (" + std::to_string(seconds) + " s)", 0);
}

void sayStopped(const Load& stopped) {
    std::fprintf(stderr, "lumivor: stopped loading %s\n", stopped.name.c_str());
    std::fflush(stderr);
}

}  // namespace

void startBackgroundLoad(LoadKind kind, const std::string& name, BackgroundJob::Work work) {
    Load& next = load(kind);
    if (next.slot.pending()) {
        sayStopped(next);
    }
    next.slot.start(std::move(work));
    next.name = name;
    next.startedAt = platform().ticks();
    next.order = ++dropsStarted;
    showLoading(next);
}

bool backgroundLoadPending() {
    for (const Load& each : loads) {
        if (each.slot.pending()) {
            return true;
        }
    }
    return false;
}

void applyFinishedLoads(AppWindow& window) {
    const Load* latest = nullptr;
    for (Load& each : loads) {
        const bool wasPending = each.slot.pending();
        if (each.slot.applyFinished()) {
            window.lastTickCount = platform().ticks();
            camera().restartClock();
        } else if (wasPending && !each.slot.pending()) {
            clearOverlayStatus();  // work that ended with nothing to apply leaves no "Loading" behind
        }
        if (each.slot.pending() && (latest == nullptr || each.order > latest->order)) {
            latest = &each;
        }
    }
    if (latest != nullptr) {
        showLoading(*latest);
    }
}

void cancelBackgroundLoads() {
    for (Load& each : loads) {
        if (each.slot.pending()) {
            sayStopped(each);
        }
        each.slot.cancel();
    }
}

void endBackgroundLoads() {
    for (Load& each : loads) {
        each.slot.clear();
    }
}
