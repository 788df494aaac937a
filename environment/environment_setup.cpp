// Environment start-up: one shared float buffer refilled from each map's texture for its light extraction.
#include "environment/environment_setup.h"

#include <FreeImage.h>

#include <algorithm>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/light_extractor.h"
#include "gpu/logger.h"

namespace {

constexpr int kChannels = 3;

}  // namespace

const char* const kEnvironmentFiles[kEnvironmentCount] = {"uffizi-large.hdr", "tsy_hdrfin.hdr", "studio2.hdr"};

void loadEnvironments(GLuint textures[kEnvironmentCount]) {
    FreeImage_Initialise(FALSE);
    EnvironmentLights& lights = environmentLights();
    std::vector<float> pixels(static_cast<size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * kChannels);
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        const char* file = kEnvironmentFiles[environment];
        if (loadEnvironmentMap(file, textures[environment], kEnvironmentMapSize, kEnvironmentMapSize)) {
            // The texture keeps 32-bit floats, so this returns the rescaled image unchanged.
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, pixels.data());
        } else {
            // Without this the environment would silently take the previous map's lights.
            logger().write(std::string("Environment map \"") + file + "\" could not be read: environment " +
                                     Logger::intToString(environment) + " gets 64 black lights.");
            std::fill(pixels.begin(), pixels.end(), 0.0f);
        }
        extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, lights.directions[environment],
                      lights.colours[environment]);
    }
}

void releaseEnvironments(GLuint textures[kEnvironmentCount]) {
    glDeleteTextures(kEnvironmentCount, textures);
    FreeImage_DeInitialise();
}
