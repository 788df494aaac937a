// Environment start-up: one shared float buffer refilled from each map's texture for its light extraction.
#include "environment/environment_setup.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/ground_light.h"
#include "environment/light_extractor.h"
#include "gpu/logger.h"

namespace {

constexpr int kChannels = 3;
constexpr size_t kPixelFloats = static_cast<size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * kChannels;

}  // namespace

void storeLights(int environment, const float* pixels, int width, int height) {
    EnvironmentLights& lights = environmentLights();
    extractLights(pixels, width, height, lights.directions[environment], lights.colours[environment],
                  {lights.solidAngles[environment], lights.irradiances[environment], lights.energies[environment]});
    lights.groundLights[environment] = projectGroundLight(pixels, width, height);
    lights.updateGroundEnergy(environment);
}

void loadEnvironments(GLuint textures[kEnvironmentCount]) {
    FreeImage_Initialise(FALSE);
    std::vector<float> pixels(kPixelFloats);
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        const std::string& file = environmentFile(environment);
        std::string cause;
        const bool loaded =
            loadEnvironmentMap(file.c_str(), textures[environment], kEnvironmentMapSize, kEnvironmentMapSize, &cause);
        setEnvironmentFileFailed(environment, !loaded);
        if (loaded) {
            // The texture keeps 32-bit floats, so this returns the rescaled image unchanged.
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, pixels.data());
        } else {
            // Without this the environment would silently take the previous map's lights.
            const std::string note = "Environment map \"" + file + "\" cannot be used: " + cause + ". Environment " +
                                     Logger::intToString(environment) + " gets 64 black lights.";
            logger().write(note);
            if (environmentFileChosen(environment)) {
                std::fprintf(stderr, "lumivor: %s\n", note.c_str());
            }
            std::fill(pixels.begin(), pixels.end(), 0.0f);
        }
        storeLights(environment, pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize);
    }
}

bool replaceEnvironment(int environment, const std::string& path, GLuint textures[kEnvironmentCount],
                        std::string& cause) {
    FIBITMAP* image = loadRescaledEnvironmentImage(path.c_str(), kEnvironmentMapSize, kEnvironmentMapSize, &cause);
    if (image == nullptr) {
        return false;
    }
    GLuint texture = 0;
    uploadEnvironmentTexture(image, texture);
    FreeImage_Unload(image);
    // The same read-back as at start-up, so the lights match a start with this file.
    std::vector<float> pixels(kPixelFloats);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, pixels.data());
    storeLights(environment, pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize);
    glDeleteTextures(1, &textures[environment]);
    textures[environment] = texture;
    EnvironmentLights& lights = environmentLights();
    if (lights.currentEnvironment == environment) {
        lights.copyToCurrent(environment);
    }
    setEnvironmentFile(environment, path);
    return true;
}

void releaseEnvironments(GLuint textures[kEnvironmentCount]) {
    glDeleteTextures(kEnvironmentCount, textures);
    FreeImage_DeInitialise();
}
