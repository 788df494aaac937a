// Test-side GL lookups: entry points the services under test do not expose, fetched straight from the driver.
#pragma once

#include <string>

#include "platform/platform_services.h"
#include "support/scratch_directory.h"

// A driver entry point by name, bypassing any fake platform a test installed.
template <typename Function>
Function driverFunction(const char* name) {
    return reinterpret_cast<Function>(sdlPlatformServices().glProcAddress(name));
}

// The entries of the scratch directory's log file, as one text.
inline std::string logText(const ScratchDirectory& scratch) { return scratch.readFile("Log.txt"); }
