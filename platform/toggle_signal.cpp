// SIGUSR1 handler: only sets a flag; the main loop turns it into the toggle message.
#include "platform/toggle_signal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t toggleRequested = 0;

extern "C" void onToggleSignal(int) { toggleRequested = 1; }

}  // namespace

void installToggleSignalHandler() {
    struct sigaction action = {};
    action.sa_handler = onToggleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
}

bool takeToggleRequest() {
    if (toggleRequested == 0) {
        return false;
    }
    toggleRequested = 0;
    return true;
}
