// Dropped maps: the waiting file, its check by name, and the replacement through the environment loader.
#include "app/environment_drop.h"

#include <cctype>
#include <cstdio>

#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "platform/platform_services.h"

namespace {

struct PendingDrop {
    std::string path;
    bool waiting = false;
};

PendingDrop& pending() {
    static PendingDrop* const drop = new PendingDrop();
    return *drop;
}

bool hasMapExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < path.size() - 4) {
        return false;
    }
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == "hdr" || extension == "exr";
}

// The cause up to its first explanation, short enough for one overlay line.
std::string headline(const std::string& cause) {
    std::size_t end = cause.size();
    for (const char* mark : {": ", " (", ", which"}) {
        const std::size_t at = cause.find(mark);
        end = at != std::string::npos && at < end ? at : end;
    }
    return cause.substr(0, end);
}

// The whole text on standard error, its headline for a few seconds in the overlay.
void report(const std::string& text, const std::string& overlayText) {
    std::fprintf(stderr, "lumivor: %s\n", text.c_str());
    std::fflush(stderr);
    showOverlayStatus(overlayText, kStatusMilliseconds);
}

}  // namespace

void dropEnvironmentFile(const std::string& path) {
    if (!hasMapExtension(path)) {
        const std::string text = "Not used: " + fileBaseName(path) + " (drop an .hdr or .exr map)";
        report(text, text);
        return;
    }
    pending().path = path;
    pending().waiting = true;
    showOverlayStatus("Loading " + fileBaseName(path), 0);
}

void loadDroppedEnvironment(AppWindow& window) {
    if (!pending().waiting) {
        return;
    }
    pending().waiting = false;
    const std::string path = pending().path;
    const int environment = environmentLights().currentEnvironment;
    std::string cause;
    if (replaceEnvironment(environment, path, sceneResources().environmentTextures, cause)) {
        clearOverlayStatus();
        std::fprintf(stderr, "lumivor: environment %d now uses %s\n", environment + 1, path.c_str());
        std::fflush(stderr);
    } else {
        report("Could not load " + path + ": " + cause,
               "Could not load " + fileBaseName(path) + ": " + headline(cause));
    }
    window.lastTickCount = platform().ticks();
}
