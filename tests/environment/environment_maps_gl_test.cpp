// Environment maps at start-up: exact float textures; a chosen OpenEXR map's lights, the overlay's names, its kept
// pixels.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <FreeImage.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/environment_sources.h"
#include "frame/overlay_pass.h"
#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace {

// A width x height map of varied radiance.
void writeMap(const std::string& path, int width, int height, FREE_IMAGE_FORMAT format) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    for (int y = 0; y < height; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < width; ++x) row[x] = {(x * 7 % 13) * 0.1f, (y * 5 % 11) * 0.2f, ((x + y) % 3) * 0.5f};
    }
    ASSERT_TRUE(FreeImage_Save(format, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

class EnvironmentMapsGl : public GlTest {};

}  // namespace

TEST_F(EnvironmentMapsGl, StartUpUploadsExactFloatsAndGivesAChosenExrMapTheLightsLumivorLightsPrints) {
    ScratchDirectory scratch;
    FreeImage_Initialise(FALSE);
    writeMap(scratch.file(kEnvironmentFiles[0]), 40, 24, FIF_HDR);
    mkdir(scratch.file("maps").c_str(), 0700);
    writeMap(scratch.file("maps/sky.exr"), 80, 40, FIF_EXR);
    setEnvironmentFile(1, "maps/sky.exr");
    setEnvironmentFile(2, "maps/missing.exr");
    GLuint textures[kEnvironmentCount] = {};
    loadEnvironments(textures);
    EnvironmentLights& lights = environmentLights();

    // The stretched map reads back bit-identical from its float texture.
    GLint width = 0, format = 0;
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, kEnvironmentMapSize);
    EXPECT_EQ(format, GL_RGB32F_ARB);
    std::vector<float> readBack(size_t(kEnvironmentMapSize) * kEnvironmentMapSize * 3, -1.0f), expected(readBack);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, readBack.data());
    FIBITMAP* rescaled = loadRescaledEnvironmentImage(kEnvironmentFiles[0], kEnvironmentMapSize, kEnvironmentMapSize);
    copyEnvironmentPixels(rescaled, expected.data());
    FreeImage_Unload(rescaled);
    const std::ptrdiff_t firstDifference =
        std::mismatch(readBack.begin(), readBack.end(), expected.begin()).first - readBack.begin();
    EXPECT_EQ(firstDifference, std::ptrdiff_t(readBack.size())) << "the first float that differs";

    EXPECT_EQ(environmentOverlayLine(1), "Environment(1/2/3): sky.exr");
    EXPECT_EQ(environmentOverlayLine(2), "Environment(1/2/3): none (missing.exr failed)");  // black, not in use

    // Selecting the environment makes its lights current, exactly as the tool prints them; JSON holds them all.
    lights.selectEnvironment(1);
    std::string text, json;
    for (auto [command, output] :
         {std::pair{" maps/sky.exr", &text}, {" --json maps/sky.exr --image marked.png", &json}}) {
        std::FILE* pipe = popen((LUMIVOR_LIGHTS_TOOL + std::string(command)).c_str(), "r");
        char buffer[4096];
        for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output->append(buffer, n);
        EXPECT_EQ(pclose(pipe), 0) << *output;
    }
    EXPECT_EQ(json.rfind("{\"lights\": [", 0), 0u) << json;
    EXPECT_EQ(countOccurrences(json, "\"solidAngle\": "), lights.lightCount) << json;
    EXPECT_EQ(countOccurrences(json, "\"irradiance\": ["), lights.lightCount) << json;
    for (int i = 0; i < lights.lightCount; ++i) {
        const Vector3 &d = lights.currentDirections[i], &c = lights.currentColours[i],
                      &e = lights.currentIrradiances[i];
        char line[256];
        std::snprintf(line, sizeof line, "%d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", i, d.x, d.y, d.z,
                      c.x, c.y, c.z, lights.currentSolidAngles[i], e.x, e.y, e.z);
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lights.lightCount);
    FIBITMAP* picture = FreeImage_Load(FIF_PNG, "marked.png", 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(picture), 80u) << "the map's size";
    EXPECT_EQ(FreeImage_GetHeight(picture), 40u) << "the map's size";
    FreeImage_Unload(picture);
    EXPECT_GT(lights.currentColours[0].x + lights.currentColours[lights.lightCount - 1].x, 0.0f);

    // A window re-creation starts from the chosen map's kept pixels: the file may have gone since.
    const std::vector<Vector3> colours(lights.colours[1], lights.colours[1] + lights.lightCount);
    std::remove("maps/sky.exr");
    releaseEnvironments(textures);
    loadEnvironments(textures);
    EXPECT_EQ(std::memcmp(colours.data(), lights.colours[1], colours.size() * sizeof(Vector3)), 0);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, kEnvironmentMapSize);
    setEnvironmentFile(1, "");
    setEnvironmentFile(2, "");
    EXPECT_EQ(environmentOverlayLine(1), "Environment(1/2/3): Tessaly");
    releaseEnvironments(textures);
    EXPECT_FALSE(glIsTexture(textures[0]));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    FreeImage_DeInitialise();
}
