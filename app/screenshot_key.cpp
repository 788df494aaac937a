// Screenshot key: the pending request, the time-stamped name and the save of the back buffer.
#include "app/screenshot_key.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "app/screenshot.h"
#include "frame/overlay_status.h"

namespace {

bool screenshotRequested = false;

bool fileExists(const std::string& name) {
    struct stat status {};
    return lstat(name.c_str(), &status) == 0;
}

}  // namespace

std::string screenshotFileName(std::time_t now, const std::function<bool(const std::string&)>& exists) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = std::string("lumivor-") + stamp;
    std::string name = stem + ".png";
    for (int suffix = 2; exists(name); ++suffix) {
        name = stem + "-" + std::to_string(suffix) + ".png";
    }
    return name;
}

void requestScreenshot() { screenshotRequested = true; }

void saveRequestedScreenshot(const AppWindow& window) {
    if (!screenshotRequested || window.native == nullptr) {
        return;
    }
    screenshotRequested = false;
    const std::string name = screenshotFileName(std::time(nullptr), fileExists);
    if (!saveScreenshot(window, name, false)) {
        showOverlayStatus("Could not save " + name, kStatusMilliseconds);
        return;
    }
    char directory[PATH_MAX] = {};
    const bool known = getcwd(directory, sizeof directory) != nullptr;
    std::printf("%s%s%s\n", known ? directory : "", known ? "/" : "", name.c_str());
    std::fflush(stdout);
    showOverlayStatus("Saved " + name, kStatusMilliseconds);
}
