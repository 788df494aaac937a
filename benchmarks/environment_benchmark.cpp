// Environment benchmark: medians of loading, rescaling, uploading, extracting and projecting the ground light of one
// 2048 x 2048 map, and of the three-map start-up with its maps loaded side by side and one after another.
#include <GL/gl.h>

#include <FreeImage.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/ground_light.h"
#include "environment/light_extractor.h"
#include "environment/map_loading.h"
#include "platform/native_window.h"

namespace {

constexpr int kRepetitions = 9;
constexpr int kStartupRepetitions = 5;
constexpr int kChannels = 3;
constexpr int kWindowSize = 64;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void report(const char* what, const std::vector<double>& samples) {
    std::printf("%-34s median %8.2f ms  (min %8.2f, %zu runs)\n", what, median(samples),
                *std::min_element(samples.begin(), samples.end()), samples.size());
}

}  // namespace

int main(int argc, char** argv) {
    // The maps are read from the working directory, as the program reads them.
    const std::string map = argc > 1 ? argv[1] : kEnvironmentFiles[2];
    FreeImage_Initialise(FALSE);
    std::vector<double> loads, rescales, extractions, groundLights, uploads, startups, serialStartups;
    std::vector<float> pixels(static_cast<size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * kChannels);
    for (int i = 0; i < kRepetitions; ++i) {
        Clock::time_point start = Clock::now();
        FIBITMAP* loaded = FreeImage_Load(FIF_HDR, map.c_str(), 0);
        loads.push_back(millisecondsSince(start));
        if (loaded == nullptr) {
            std::fprintf(stderr, "environment_benchmark: cannot read %s (run it in the run directory)\n", map.c_str());
            return 1;
        }
        start = Clock::now();
        FIBITMAP* rescaled = FreeImage_Rescale(loaded, kEnvironmentMapSize, kEnvironmentMapSize, FILTER_BSPLINE);
        rescales.push_back(millisecondsSince(start));
        copyEnvironmentPixels(rescaled, pixels.data());
        FreeImage_Unload(rescaled);
        FreeImage_Unload(loaded);

        Vector3 directions[kMaxLights];
        Vector3 colours[kMaxLights];
        start = Clock::now();
        extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours);
        extractions.push_back(millisecondsSince(start));
        start = Clock::now();
        projectGroundLight(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize);
        groundLights.push_back(millisecondsSince(start));
    }
    report("HDR load", loads);
    report("B-spline rescale to 2048 x 2048", rescales);
    report("light extraction", extractions);
    report("ground light (nine harmonics)", groundLights);
    std::fflush(stdout);

    if (!startVideo()) {
        std::fprintf(stderr, "environment_benchmark: no video driver: GL phases skipped\n");
        return 0;
    }
    NativeWindow* window =
        createNativeWindow("lumivor environment benchmark", kWindowSize, kWindowSize, WindowFrame::Hidden);
    if (window == nullptr) {
        std::fprintf(stderr, "environment_benchmark: no GL context: GL phases skipped\n");
        stopVideo();
        return 0;
    }
    FIBITMAP* loaded = FreeImage_Load(FIF_HDR, map.c_str(), 0);
    FIBITMAP* rescaled = FreeImage_Rescale(loaded, kEnvironmentMapSize, kEnvironmentMapSize, FILTER_BSPLINE);
    for (int i = 0; i < kRepetitions; ++i) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        const Clock::time_point start = Clock::now();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kEnvironmentMapSize, kEnvironmentMapSize, 0, GL_RGB, GL_FLOAT,
                     FreeImage_GetBits(rescaled));
        glFinish();
        uploads.push_back(millisecondsSince(start));
        glDeleteTextures(1, &texture);
    }
    FreeImage_Unload(rescaled);
    FreeImage_Unload(loaded);
    report("upload", uploads);
    FreeImage_DeInitialise();

    // Alternated, so that both see the same machine.
    for (int i = 0; i < kStartupRepetitions; ++i) {
        GLuint textures[kEnvironmentCount] = {};
        Clock::time_point start = Clock::now();
        loadEnvironments(textures);
        glFinish();
        startups.push_back(millisecondsSince(start));
        releaseEnvironments(textures);

        FreeImage_Initialise(FALSE);
        const CancelFlag never{false};
        start = Clock::now();
        for (int environment = 0; environment < kEnvironmentCount; ++environment) {
            const LoadedMap map = loadMap(environmentFile(environment), never);
            uploadEnvironmentPixels(map.pixels.get(), kEnvironmentMapSize, kEnvironmentMapSize, textures[environment]);
        }
        glFinish();
        serialStartups.push_back(millisecondsSince(start));
        glDeleteTextures(kEnvironmentCount, textures);
        FreeImage_DeInitialise();
    }
    report("three maps side by side", startups);
    report("three maps one after another", serialStartups);
    destroyNativeWindow(window);
    stopVideo();
    return 0;
}
