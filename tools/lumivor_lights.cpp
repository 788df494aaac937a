// lumivor-lights: prints the 64 directional lights Lumivor extracts from a Radiance HDR or OpenEXR map.
#include <FreeImage.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "light_map_picture.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kChannels = 3;
constexpr int kLightCount = 1 << kLightTreeDepth;

const char* const kUsage =
    "usage: lumivor-lights FILE.hdr|FILE.exr [--json] [--image OUT.png]\n"
    "Prints the 64 lights of a latitude-longitude Radiance HDR or OpenEXR map, one per line:\n"
    "index, direction x y z (y up, toward the light), colour r g b (the region's\n"
    "latitude-weighted mean radiance), solid angle (steradians the region covers),\n"
    "irradiance r g b (on a surface facing the light: the region's radiance summed\n"
    "over its solid angle, what a renderer lights with).\n"
    "  --json           print the lights as JSON instead\n"
    "  --image OUT.png  also write the map with its light regions and lights marked\n";

struct Options {
    const char* file = nullptr;
    const char* image = nullptr;
    bool json = false;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(argv[i], "--image") == 0 && i + 1 < argc) {
            options.image = argv[++i];
        } else if (argv[i][0] == '-' || options.file != nullptr) {
            return false;
        } else {
            options.file = argv[i];
        }
    }
    return options.file != nullptr;
}

// The extracted lights, one array per quantity.
struct Lights {
    Vector3 directions[kLightCount];
    Vector3 colours[kLightCount];
    float solidAngles[kLightCount];
    Vector3 irradiances[kLightCount];
};

void printText(const Lights& lights) {
    for (int i = 0; i < kLightCount; ++i) {
        const Vector3 &d = lights.directions[i], &c = lights.colours[i], &e = lights.irradiances[i];
        std::printf("%d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", i, d.x, d.y, d.z, c.x, c.y, c.z,
                    lights.solidAngles[i], e.x, e.y, e.z);
    }
}

void printJson(const Lights& lights) {
    std::printf("{\"lights\": [\n");
    for (int i = 0; i < kLightCount; ++i) {
        const Vector3 &d = lights.directions[i], &c = lights.colours[i], &e = lights.irradiances[i];
        std::printf(
            "  {\"index\": %d, \"direction\": [%.9g, %.9g, %.9g], \"colour\": [%.9g, %.9g, %.9g], "
            "\"solidAngle\": %.9g, \"irradiance\": [%.9g, %.9g, %.9g]}%s\n",
            i, d.x, d.y, d.z, c.x, c.y, c.z, lights.solidAngles[i], e.x, e.y, e.z, i + 1 < kLightCount ? "," : "");
    }
    std::printf("]}\n");
}

int run(const Options& options) {
    // The same load and rescale as the program; the texture read-back it does
    // returns exactly these floats, so the rescaled image is used directly.
    std::string cause;
    FIBITMAP* image = loadRescaledEnvironmentImage(options.file, kEnvironmentMapSize, kEnvironmentMapSize, &cause);
    if (image == nullptr) {
        std::fprintf(stderr, "lumivor-lights: cannot use %s: %s\n", options.file, cause.c_str());
        return kExitFailure;
    }
    std::vector<float> pixels(static_cast<size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * kChannels);
    copyEnvironmentPixels(image, pixels.data());
    FreeImage_Unload(image);

    LightExtractor extractor(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize);
    extractor.split(kLightTreeDepth);
    Lights lights;
    extractor.collectLights(lights.directions, lights.colours, {lights.solidAngles, lights.irradiances});
    if (options.json) {
        printJson(lights);
    } else {
        printText(lights);
    }

    if (options.image != nullptr) {
        FIBITMAP* map = loadEnvironmentImage(options.file);
        const bool saved = map != nullptr && saveLightMapPicture(map, extractor.leaves(), kEnvironmentMapSize,
                                                                 kEnvironmentMapSize, options.image);
        if (map != nullptr) {
            FreeImage_Unload(map);
        }
        if (!saved) {
            std::fprintf(stderr, "lumivor-lights: cannot write picture %s\n", options.image);
            return kExitFailure;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s", kUsage);
        return 0;
    }
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitFailure;
    }
    FreeImage_Initialise(FALSE);
    const int status = run(options);
    FreeImage_DeInitialise();
    return status;
}
