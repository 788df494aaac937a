// Dropped maps: the check by name, the load started as a background job, and the report of its outcome.
#include "app/environment_drop.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "app/background_loads.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "platform/platform_services.h"

namespace {

constexpr double kSecondsPerTick = 0.001;

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

void say(const std::string& text) {
    std::fprintf(stderr, "lumivor: %s\n", text.c_str());
    std::fflush(stderr);
}

// The whole text on standard error, its headline for a few seconds in the overlay.
void report(const std::string& text, const std::string& overlayText) {
    say(text);
    showOverlayStatus(overlayText, kStatusMilliseconds);
}

}  // namespace

void dropEnvironmentFile(const std::string& path) {
    if (!hasMapExtension(path)) {
        const std::string text = "Not used: " + fileBaseName(path) + " (drop an .hdr or .exr map)";
        report(text, text);
        return;
    }
    // The environment shown when the file was dropped gets it, whatever is shown when it is ready.
    const int environment = environmentLights().currentEnvironment;
    const std::uint32_t droppedAt = platform().ticks();
    say("loading " + path + " for environment " + std::to_string(environment + 1));
    const auto done = [environment, path, droppedAt](const LoadedMap& map) {
        if (map.loaded()) {
            clearOverlayStatus();
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f", (platform().ticks() - droppedAt) * kSecondsPerTick);
            say("environment " + std::to_string(environment + 1) + " now uses " + path + " (loaded in " + seconds +
                " s)");
        } else {
            report("Could not load " + path + ": " + map.cause,
                   "Could not load " + fileBaseName(path) + ": " + headline(map.cause));
        }
    };
    startBackgroundLoad(LoadKind::EnvironmentMap, fileBaseName(path),
                        environmentLoadWork(environment, path, sceneResources().environmentTextures, done));
}
