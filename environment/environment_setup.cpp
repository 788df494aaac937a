// Environment start-up: three loading jobs, then per map one texture upload and the copy of its lights.
#include "environment/environment_setup.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/light_cut.h"
#include "environment/light_extractor.h"
#include "gpu/logger.h"

namespace {

constexpr std::size_t kMapFloats = static_cast<std::size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * 3;

// The start-up workers. A plain static: should the program end while they
// run (an unreadable noise map ends it during start-up), their destruction
// cancels them and waits for their current step before the process goes.
std::unique_ptr<BackgroundJob> startupJobs[kEnvironmentCount];
// What each start-up worker delivered, read by finishEnvironmentLoads.
std::shared_ptr<LoadedMap> startupMaps[kEnvironmentCount];

// FreeImage initialised for as long as a loading job may decode: created and
// destroyed on the main thread, where FreeImage_Initialise and
// FreeImage_DeInitialise keep their count of users.
class ImageLibraryUse {
public:
    ImageLibraryUse() { FreeImage_Initialise(FALSE); }
    ~ImageLibraryUse() { FreeImage_DeInitialise(); }
    ImageLibraryUse(const ImageLibraryUse&) = delete;
    ImageLibraryUse& operator=(const ImageLibraryUse&) = delete;
};

// The lights an all-black map gives: what an environment whose map cannot be
// used gets, exactly as the extraction makes them.
LoadedMap blackLights() {
    const std::vector<float> black(kMapFloats, 0.0f);
    LoadedMap map;
    extractMapLights(black.data(), kEnvironmentMapSize, kEnvironmentMapSize, map);
    return map;
}

void uploadMap(const LoadedMap& map, GLuint& texture) {
    const bool loaded = map.loaded();
    uploadEnvironmentPixels(loaded ? map.pixels.get() : nullptr, loaded ? kEnvironmentMapSize : 0,
                            loaded ? kEnvironmentMapSize : 0, texture);
}

// The start-up work of environment e: its kept pixels cut again, or its file
// loaded; a map that fails gets the black lights, computed here as well.
BackgroundJob::Work startupWork(int environment) {
    const MapPixels kept = keptEnvironmentPixels(environment);
    const std::string file = environmentFile(environment);
    std::shared_ptr<LoadedMap>& result = startupMaps[environment];
    result = std::make_shared<LoadedMap>();
    return [kept, file, result](const CancelFlag& cancelled) -> BackgroundJob::MainThreadStep {
        *result = kept != nullptr ? extractMap(kept) : loadMap(file, cancelled);
        if (!result->loaded() && !result->cancelled) {
            const std::string cause = result->cause;
            *result = blackLights();
            result->cause = cause;
        }
        return nullptr;  // finishEnvironmentLoads applies the results in environment order
    };
}

}  // namespace

void storeLights(int environment, const LoadedMap& map) {
    EnvironmentLights& lights = environmentLights();
    const int count = 1 << kLightTreeDepth;
    std::copy(map.directions, map.directions + count, lights.directions[environment]);
    std::copy(map.colours, map.colours + count, lights.colours[environment]);
    std::copy(map.solidAngles, map.solidAngles + count, lights.solidAngles[environment]);
    std::copy(map.irradiances, map.irradiances + count, lights.irradiances[environment]);
    std::copy(map.energies, map.energies + count, lights.energies[environment]);
    lights.groundLights[environment] = map.groundLight;
    keepLightCut(environment, map.cut);
    lights.updateGroundEnergy(environment);
}

void storeLights(int environment, const float* pixels, int width, int height) {
    LoadedMap map;
    extractMapLights(pixels, width, height, map);
    storeLights(environment, map);
}

void startEnvironmentLoads() {
    // FreeImage is started here, on the main thread, before any worker decodes.
    FreeImage_Initialise(FALSE);
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        startupJobs[environment] = std::make_unique<BackgroundJob>(startupWork(environment));
    }
}

std::shared_ptr<const void> holdImageLibrary() { return std::make_shared<ImageLibraryUse>(); }

void finishEnvironmentLoads(GLuint textures[kEnvironmentCount]) {
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        startupJobs[environment]->wait();
        startupJobs[environment].reset();
        const std::shared_ptr<LoadedMap> map = std::move(startupMaps[environment]);
        uploadMap(*map, textures[environment]);
        storeLights(environment, *map);
        const std::string& file = environmentFile(environment);
        setEnvironmentFileFailed(environment, !map->loaded());
        if (map->loaded()) {
            if (environmentFileChosen(environment)) {
                keepEnvironmentPixels(environment, map->pixels);
            }
            continue;
        }
        // Without this the environment would silently go dark.
        const std::string note = "Environment map \"" + file + "\" cannot be used: " + map->cause + ". Environment " +
                                 Logger::intToString(environment + 1) + " gets 64 black lights.";
        logger().write(note);
        if (environmentFileChosen(environment)) {
            std::fprintf(stderr, "lumivor: %s\n", note.c_str());
        }
    }
}

void loadEnvironments(GLuint textures[kEnvironmentCount]) {
    startEnvironmentLoads();
    finishEnvironmentLoads(textures);
}

void installEnvironment(int environment, const std::string& path, const LoadedMap& map,
                        GLuint textures[kEnvironmentCount]) {
    GLuint texture = 0;
    uploadMap(map, texture);
    glDeleteTextures(1, &textures[environment]);
    textures[environment] = texture;
    storeLights(environment, map);
    EnvironmentLights& lights = environmentLights();
    if (lights.currentEnvironment == environment) {
        lights.copyToCurrent(environment);
    }
    setEnvironmentFile(environment, path);
    keepEnvironmentPixels(environment, map.pixels);
}

BackgroundJob::Work environmentLoadWork(int environment, const std::string& path, GLuint* textures,
                                        std::function<void(const LoadedMap&)> done) {
    const std::shared_ptr<const void> library = holdImageLibrary();
    return [library, environment, path, textures, done](const CancelFlag& cancelled) -> BackgroundJob::MainThreadStep {
        const std::shared_ptr<const LoadedMap> map = std::make_shared<LoadedMap>(loadMap(path, cancelled));
        if (map->cancelled) {
            return nullptr;
        }
        return [environment, path, textures, done, map] {
            if (map->loaded()) {
                installEnvironment(environment, path, *map, textures);
            }
            done(*map);
        };
    };
}

bool replaceEnvironment(int environment, const std::string& path, GLuint textures[kEnvironmentCount],
                        std::string& cause) {
    const CancelFlag never{false};
    const LoadedMap map = loadMap(path, never);
    if (!map.loaded()) {
        cause = map.cause;
        return false;
    }
    installEnvironment(environment, path, map, textures);
    return true;
}

void releaseEnvironments(GLuint textures[kEnvironmentCount]) {
    glDeleteTextures(kEnvironmentCount, textures);
    FreeImage_DeInitialise();
}
