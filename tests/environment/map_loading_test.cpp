// Map loading on worker threads: the same lights as one map after another, the memory rule, and cancellation.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "environment/environment_map.h"
#include "environment/environment_sources.h"
#include "environment/light_extractor.h"
#include "environment/map_loading.h"
#include "environment/map_memory.h"
#include "platform/available_memory.h"
#include "support/radiance_map.h"
#include "support/scratch_directory.h"

namespace {

const CancelFlag kNever{false};

// The built-in map of environment e in the build's run directory.
std::string runMap(int environment) { return std::string(LUMIVOR_RUN_DIR) + "/" + kEnvironmentFiles[environment]; }

class MapLoading : public ::testing::Test {
protected:
    void SetUp() override { FreeImage_Initialise(FALSE); }
    void TearDown() override { FreeImage_DeInitialise(); }
};

}  // namespace

TEST_F(MapLoading, ThreeMapsLoadedSideBySideGiveTheLightsOfAnExtractionOneAfterAnother) {
    std::shared_ptr<LoadedMap> parallel[kEnvironmentCount];
    std::unique_ptr<BackgroundJob> jobs[kEnvironmentCount];
    for (int e = 0; e < kEnvironmentCount; ++e) {
        parallel[e] = std::make_shared<LoadedMap>();
        jobs[e] = std::make_unique<BackgroundJob>([e, result = parallel[e]](const CancelFlag& cancelled) {
            *result = loadMap(runMap(e), cancelled);
            return BackgroundJob::MainThreadStep();
        });
    }
    for (int e = 0; e < kEnvironmentCount; ++e) {
        jobs[e]->wait();
        ASSERT_TRUE(parallel[e]->loaded()) << runMap(e) << ": " << parallel[e]->cause;
        std::string cause;
        FIBITMAP* image =
            loadRescaledEnvironmentImage(runMap(e).c_str(), kEnvironmentMapSize, kEnvironmentMapSize, &cause);
        ASSERT_NE(image, nullptr) << cause;
        std::vector<float> pixels(std::size_t{kEnvironmentMapSize} * kEnvironmentMapSize * 3);
        copyEnvironmentPixels(image, pixels.data());
        FreeImage_Unload(image);
        EXPECT_EQ(std::memcmp(pixels.data(), parallel[e]->pixels.get(), pixels.size() * sizeof(float)), 0) << runMap(e);
        Vector3 directions[kMaxLights], colours[kMaxLights];
        float solidAngles[kMaxLights] = {};
        extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours, {solidAngles});
        const std::size_t lights = kDefaultLightCount;
        EXPECT_EQ(std::memcmp(directions, parallel[e]->directions, lights * sizeof(Vector3)), 0) << runMap(e);
        EXPECT_EQ(std::memcmp(colours, parallel[e]->colours, lights * sizeof(Vector3)), 0) << runMap(e);
        EXPECT_EQ(std::memcmp(solidAngles, parallel[e]->solidAngles, lights * sizeof(float)), 0) << runMap(e);
    }
}

TEST_F(MapLoading, AMapThatNeedsMoreMemoryThanIsAvailableIsRefusedWithBothFigures) {
    ScratchDirectory scratch;
    const std::string file = discMap(1024, 512, 256, 128, 20);
    scratch.writeFile("sky.hdr", file);
    setenv("LUMIVOR_AVAILABLE_MEMORY", "50M", 1);
    const LoadedMap refused = loadMap("sky.hdr", kNever);
    unsetenv("LUMIVOR_AVAILABLE_MEMORY");
    EXPECT_FALSE(refused.loaded());
    MapPicture picture;
    picture.width = 1024, picture.height = 512;
    const std::uint64_t needed = mapLoadingBytes(picture, file.size(), kEnvironmentMapSize, kEnvironmentMapSize);
    EXPECT_EQ(refused.cause, "needs " + formatBytes(needed) + " of memory, 50 MB available");
    EXPECT_TRUE(loadMap("sky.hdr", kNever).loaded()) << "the same map loads within the system's memory";
}

TEST_F(MapLoading, TheEstimateCountsEveryCopyOfTheLargestPicturesAndTheFile) {
    const std::uint64_t pixels = std::uint64_t{1} << 29;  // the largest map accepted, 32768 x 16384
    MapPicture radiance;
    radiance.width = 32768, radiance.height = 16384;
    const std::uint64_t fileBytes = 2000000000;
    EXPECT_GE(mapLoadingBytes(radiance, fileBytes, kEnvironmentMapSize, kEnvironmentMapSize),
              fileBytes + pixels * kRgbFloatBytes);
    MapPicture withAlpha = radiance;
    withAlpha.format = MapFormat::OpenExr, withAlpha.rgbOnly = false;
    // Four floats decoded, then converted to three while the four are still held.
    EXPECT_GE(mapLoadingBytes(withAlpha, 0, kEnvironmentMapSize, kEnvironmentMapSize),
              pixels * (kRgbaFloatBytes + kRgbFloatBytes));
    MapPicture small;
    small.width = 16, small.height = 8;
    // A small map stretched up: the destination and the intermediate, 16 columns by 2048 rows.
    EXPECT_GE(mapLoadingBytes(small, 0, kEnvironmentMapSize, kEnvironmentMapSize),
              (std::uint64_t{kEnvironmentMapSize} * kEnvironmentMapSize + 16 * kEnvironmentMapSize) * kRgbFloatBytes);
}

TEST_F(MapLoading, ACancelledLoadStopsAtItsNextStepAndARadianceDecoderAtItsNextRead) {
    ScratchDirectory scratch;
    const std::string file = discMap(1024, 512, 256, 128, 20);
    scratch.writeFile("sky.hdr", file);
    const CancelFlag raised{true};
    const LoadedMap stopped = loadMap("sky.hdr", raised);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.loaded());
    std::string cause;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    EXPECT_EQ(decodeEnvironmentImage(bytes, file.size(), MapFormat::Radiance, &raised, &cause), nullptr);
    EXPECT_EQ(cause, "cancelled");
    FIBITMAP* decoded = decodeEnvironmentImage(bytes, file.size(), MapFormat::Radiance, &kNever, &cause);
    EXPECT_NE(decoded, nullptr) << cause;
    FreeImage_Unload(decoded);
}
