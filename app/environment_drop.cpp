// Dropped maps: the load started as a background job, and the report of its outcome.
#include "app/environment_drop.h"

#include <cstdint>
#include <cstdio>

#include "app/background_loads.h"
#include "app/file_drop.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "platform/platform_services.h"

void dropEnvironmentFile(const std::string& path) {
    // The environment shown when the file was dropped gets it, whatever is shown when it is ready.
    const int environment = environmentLights().currentEnvironment;
    const std::uint32_t droppedAt = platform().ticks();
    sayOnStandardError("loading " + path + " for environment " + std::to_string(environment + 1));
    const auto done = [environment, path, droppedAt](const LoadedMap& map) {
        if (map.loaded()) {
            clearOverlayStatus();
            sayOnStandardError("environment " + std::to_string(environment + 1) + " now uses " + path + " (loaded in " +
                               secondsSince(droppedAt) + " s)");
        } else {
            reportDropProblem("Could not load " + path + ": " + map.cause,
                              "Could not load " + fileBaseName(path) + ": " + causeHeadline(map.cause));
        }
    };
    startBackgroundLoad(LoadKind::EnvironmentMap, fileBaseName(path),
                        environmentLoadWork(environment, path, sceneResources().environmentTextures, done));
}
