// Dropped maps: the waiting file and the replacement of the current environment through the environment loader.
#include "app/environment_drop.h"

#include <cstdio>

#include "app/file_drop.h"
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

}  // namespace

void dropEnvironmentFile(const std::string& path) {
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
        reportDropProblem("Could not load " + path + ": " + cause,
                          "Could not load " + fileBaseName(path) + ": " + causeHeadline(cause));
    }
    window.lastTickCount = platform().ticks();
}
