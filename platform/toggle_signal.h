// SIGUSR1 from any process requests the full-screen toggle, as a window message would.
#pragma once

void installToggleSignalHandler();

// True once for every SIGUSR1 received since the last call.
bool takeToggleRequest();
