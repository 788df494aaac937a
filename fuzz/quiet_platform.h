// QuietPlatform: platform services for the fuzz targets; no window, no GL, message boxes only counted.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_services.h"

class QuietPlatform : public PlatformServices {
public:
    int messageCount = 0;

    std::uint32_t ticks() override { return 0; }
    void cursorPosition(int& x, int& y) override { x = y = 0; }
    bool ownsCursor() override { return true; }
    void setCursorPosition(int, int) override {}
    bool isKeyDown(int) override { return false; }
    // No entry point is known, so nothing that needs a rendering context runs.
    void* glProcAddress(const char*) override { return nullptr; }
    const char* glExtensions() override { return ""; }
    void showMessage(const char*, const std::string&, MessageIcon) override { ++messageCount; }
    bool askYesNo(const char*, const std::string&) override { return false; }
};

// Installs one QuietPlatform for the whole fuzzing process and returns it.
inline QuietPlatform& installQuietPlatform() {
    static QuietPlatform quiet;
    setPlatformServices(&quiet);
    return quiet;
}
