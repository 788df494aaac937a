// lumivor-lights and lumivor-convert: printed lights round-trip, and bad input stops them with status 1.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "support/scratch_directory.h"

namespace {

constexpr int kLights = 64;

struct Result {
    int status = -1;
    std::string output;
};

// Runs a command line, standard error folded into the output.
Result run(const std::string& command) {
    Result result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void writeMap(const std::string& path) {
    const int width = 96;
    const int height = 48;
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    for (int y = 0; y < height; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < width; ++x) row[x] = {0.1f + 0.01f * x, 0.2f + 0.02f * y, ((x * 7 + y * 3) % 11) * 0.5f};
    }
    ASSERT_TRUE(FreeImage_Save(FIF_HDR, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

class LightTools : public ::testing::Test {
protected:
    void SetUp() override {
        FreeImage_Initialise(FALSE);
        writeMap(scratch.file("sky.hdr"));
        FIBITMAP* image = loadRescaledEnvironmentImage(scratch.file("sky.hdr").c_str(), kEnvironmentMapSize,
                                                       kEnvironmentMapSize);
        ASSERT_NE(image, nullptr);
        std::vector<float> pixels(size_t(kEnvironmentMapSize) * kEnvironmentMapSize * 3);
        copyEnvironmentPixels(image, pixels.data());
        FreeImage_Unload(image);
        extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours, solidAngles);
    }
    void TearDown() override { FreeImage_DeInitialise(); }

    ScratchDirectory scratch;
    Vector3 directions[kLights];
    Vector3 colours[kLights];
    float solidAngles[kLights];
};

}  // namespace

TEST_F(LightTools, LightsPrintsEveryLightSoThatItRoundTrips) {
    const Result text = run(std::string(LUMIVOR_LIGHTS_TOOL) + " sky.hdr");
    ASSERT_EQ(text.status, 0) << text.output;
    std::istringstream lines(text.output);
    for (int i = 0; i < kLights; ++i) {
        int index = -1;
        Vector3 d, c;
        float solidAngle = 0.0f;
        ASSERT_TRUE(lines >> index >> d.x >> d.y >> d.z >> c.x >> c.y >> c.z >> solidAngle) << "line " << i;
        EXPECT_EQ(index, i);
        EXPECT_TRUE(d.x == directions[i].x && d.y == directions[i].y && d.z == directions[i].z) << i;
        EXPECT_TRUE(c.x == colours[i].x && c.y == colours[i].y && c.z == colours[i].z) << i;
        EXPECT_EQ(solidAngle, solidAngles[i]) << i;
    }
    std::string rest;
    EXPECT_FALSE(lines >> rest) << "more than 64 lights";

    const Result json = run(std::string(LUMIVOR_LIGHTS_TOOL) + " --json sky.hdr --image marked.png");
    ASSERT_EQ(json.status, 0) << json.output;
    EXPECT_EQ(json.output.rfind("{\"lights\": [", 0), 0u);
    EXPECT_NE(json.output.find("{\"index\": 63, "), std::string::npos);
    char expected[128];
    std::snprintf(expected, sizeof expected, "\"colour\": [%.9g, %.9g, %.9g], \"solidAngle\": %.9g}", colours[17].x,
                  colours[17].y, colours[17].z, solidAngles[17]);
    EXPECT_NE(json.output.find(expected), std::string::npos) << expected;
    FIBITMAP* picture = FreeImage_Load(FIF_PNG, scratch.file("marked.png").c_str(), 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(picture), 96u) << "the picture keeps the map's own size";
    EXPECT_EQ(FreeImage_GetHeight(picture), 48u);
    FreeImage_Unload(picture);
}

TEST_F(LightTools, BadInputStopsWithStatusOneAndNamesTheFile) {
    scratch.writeFile("text.hdr", "this is no image\n");
    for (const char* command : {LUMIVOR_LIGHTS_TOOL " missing.hdr", LUMIVOR_LIGHTS_TOOL " text.hdr",
                                LUMIVOR_CONVERT_TOOL " missing.exr out.hdr", LUMIVOR_CONVERT_TOOL " text.hdr out.hdr"}) {
        const Result result = run(command);
        EXPECT_EQ(result.status, 1) << command;
        const std::string file = std::strstr(command, "missing") ? "missing" : "text.hdr";
        EXPECT_NE(result.output.find(file), std::string::npos) << result.output;
    }
    EXPECT_FALSE(scratch.exists("out.hdr"));
}
