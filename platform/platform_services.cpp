// Selection of the platform services in use: SDL by default, a test's fake when installed.
#include "platform/platform_services.h"

namespace {
PlatformServices* installedServices = nullptr;
}

PlatformServices& platform() { return installedServices != nullptr ? *installedServices : sdlPlatformServices(); }

PlatformServices* setPlatformServices(PlatformServices* services) {
    PlatformServices* previous = installedServices;
    installedServices = services;
    return previous;
}
