// Environment map textures under a real GL context: exact float round trip, and a start-up with a map missing.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <FreeImage.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "environment/environment_lights.h"
#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "frame/overlay_pass.h"
#include "gpu/logger.h"
#include "support/gl_test_context.h"
#include "support/scratch_directory.h"

namespace {

constexpr int kLights = 64;

// Writes a width x height Radiance HDR (or OpenEXR) file of random radiance with one bright spot.
void writeMap(const std::string& path, int width, int height, unsigned seed, FREE_IMAGE_FORMAT format = FIF_HDR) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    ASSERT_NE(image, nullptr);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 2.0f);
    for (int y = 0; y < height; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < width; ++x) {
            row[x] = {value(random), value(random), value(random)};
        }
    }
    reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, height * 7 / 8))[width / 3] = {900.0f, 800.0f, 700.0f};
    ASSERT_TRUE(FreeImage_Save(format, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

class EnvironmentMapsGl : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        FreeImage_Initialise(FALSE);
    }
    void TearDown() override {
        FreeImage_DeInitialise();
        GlTest::TearDown();
    }
};

}  // namespace

TEST_F(EnvironmentMapsGl, UploadedMapIsStretchedAndReadsBackBitIdentical) {
    ScratchDirectory scratch;
    writeMap(scratch.file("small.hdr"), 40, 24, 1);
    const int size = 64;

    GLuint texture = 0;
    ASSERT_TRUE(loadEnvironmentMap("small.hdr", texture, size, size));
    GLint width = 0, height = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, size);
    EXPECT_EQ(height, size);
    EXPECT_EQ(format, GL_RGB32F_ARB);

    std::vector<float> readBack(size * size * 3, -1.0f);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, readBack.data());
    FIBITMAP* rescaled = loadRescaledEnvironmentImage("small.hdr", size, size);
    ASSERT_NE(rescaled, nullptr);
    std::vector<float> expected(size * size * 3);
    copyEnvironmentPixels(rescaled, expected.data());
    FreeImage_Unload(rescaled);
    EXPECT_EQ(std::memcmp(readBack.data(), expected.data(), expected.size() * sizeof(float)), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

TEST_F(EnvironmentMapsGl, MissingMapIsLoggedAndGetsBlackLightsWhileStartUpFinishes) {
    ScratchDirectory scratch;
    writeMap(scratch.file(kEnvironmentFiles[0]), 64, 32, 2);
    // kEnvironmentFiles[1] is missing.
    writeMap(scratch.file(kEnvironmentFiles[2]), 48, 40, 3);
    Logger::resetFirstWriteForTesting();

    GLuint textures[kEnvironmentCount] = {};
    loadEnvironments(textures);
    EnvironmentLights& lights = environmentLights();

    const std::string log = scratch.readFile("Log.txt");
    EXPECT_NE(log.find(std::string("\"") + kEnvironmentFiles[1] + "\" cannot be used: missing"), std::string::npos)
        << log;
    EXPECT_EQ(log.find(kEnvironmentFiles[0]), std::string::npos) << log;
    for (int i = 0; i < kLights; ++i) {
        const Vector3& c = lights.colours[1][i];
        EXPECT_EQ(c.x + c.y + c.z, 0.0f) << "environment 1 light " << i;
    }
    // The maps that loaded, read back from their textures, give the lights of their own rescaled image.
    for (int e : {0, 2}) {
        FIBITMAP* image = loadRescaledEnvironmentImage(kEnvironmentFiles[e], kEnvironmentMapSize, kEnvironmentMapSize);
        ASSERT_NE(image, nullptr);
        std::vector<float> pixels(size_t(kEnvironmentMapSize) * kEnvironmentMapSize * 3);
        copyEnvironmentPixels(image, pixels.data());
        FreeImage_Unload(image);
        Vector3 directions[kLights];
        Vector3 colours[kLights];
        extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours);
        EXPECT_EQ(std::memcmp(directions, lights.directions[e], sizeof directions), 0) << e;
        EXPECT_EQ(std::memcmp(colours, lights.colours[e], sizeof colours), 0) << e;
        EXPECT_GT(lights.colours[e][0].x + lights.colours[e][kLights - 1].x, 0.0f) << e;
    }
    releaseEnvironments(textures);
    EXPECT_FALSE(glIsTexture(textures[0]));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EnvironmentMapsGl, AChosenOpenExrMapGivesItsEnvironmentTheLightsLumivorLightsPrintsAndItsNameInTheOverlay) {
    ScratchDirectory scratch;
    mkdir(scratch.file("maps").c_str(), 0700);
    writeMap(scratch.file("maps/sky.exr"), 80, 40, 4, FIF_EXR);
    setEnvironmentFile(1, "maps/sky.exr");
    GLuint textures[kEnvironmentCount] = {};
    loadEnvironments(textures);
    EXPECT_EQ(environmentOverlayLine(1), "Environment(1/2/3): sky.exr");
    EXPECT_EQ(environmentOverlayLine(0), "Environment(1/2/3): Uffizi");
    setEnvironmentFile(1, "");
    EXPECT_EQ(environmentOverlayLine(1), "Environment(1/2/3): Tessaly");

    std::FILE* pipe = popen(LUMIVOR_LIGHTS_TOOL " maps/sky.exr", "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[4096];
    for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) printed.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << printed;
    std::istringstream lines(printed);
    const EnvironmentLights& lights = environmentLights();
    for (int i = 0; i < kLights; ++i) {
        int index = -1;
        Vector3 d, c;
        float solidAngle = -1.0f;
        ASSERT_TRUE(lines >> index >> d.x >> d.y >> d.z >> c.x >> c.y >> c.z >> solidAngle) << printed;
        const Vector3& ld = lights.directions[1][i];
        const Vector3& lc = lights.colours[1][i];
        EXPECT_TRUE(d.x == ld.x && d.y == ld.y && d.z == ld.z && c.x == lc.x && c.y == lc.y && c.z == lc.z) << i;
        EXPECT_EQ(solidAngle, lights.solidAngles[1][i]) << i;
    }
    EXPECT_GT(lights.colours[1][0].x + lights.colours[1][kLights - 1].x, 0.0f);
    releaseEnvironments(textures);
}
