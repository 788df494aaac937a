// The whole frame in a real GL context: start-up log, supersampling rebuilds, clean frames, and picture checks.
#include <FreeImage.h>
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/environment_drop.h"
#include "app/scene_state.h"
#include "app/window_procedure.h"
#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "frame/overlay_pass.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "gpu/render_targets.h"
#include "platform/native_window.h"
#include "platform/virtual_keys.h"
#include "scene_fixture.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace {

// Splits the log into its entries (each entry ends with an empty line).
std::vector<std::string> logEntries(const std::string& log) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t end = log.find("\n\n"); end != std::string::npos; end = log.find("\n\n", start)) {
        entries.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return entries;
}

double meanLuminance(const std::vector<unsigned char>& pixels) {
    double sum = 0.0;
    for (std::size_t i = 0; i < pixels.size(); i += 3) sum += luminance(&pixels[i]);
    return sum / static_cast<double>(pixels.size() / 3);
}

// Edge energy: the sum of squared brightness steps between neighbours in the
// lower part of the picture, where the objects stand (the overlay line at the
// top is drawn at window resolution either way). Smoothing a hard edge over
// two pixels halves its share, while flat and textured areas barely change.
double edgeEnergy(const std::vector<unsigned char>& pixels, int width, int height) {
    double energy = 0.0;
    for (int y = 0; y + 1 < height * 2 / 3; ++y) {
        for (int x = 0; x + 1 < width; ++x) {
            const unsigned char* a = &pixels[(y * width + x) * 3];
            const double right = luminance(a) - luminance(a + 3);
            const double up = luminance(a) - luminance(a + width * 3);
            energy += right * right + up * up;
        }
    }
    return energy;
}

}  // namespace

class SceneFrameTest : public SceneFixture {};

TEST_F(SceneFrameTest, StartUpLogsTheTenProgramsInLoadOrderThenSeventyFiveCompleteTargets) {
    const std::vector<std::string> entries = logEntries(startupLog);
    ASSERT_EQ(entries.size(), 85u) << startupLog;
    const int loadOrder[] = {0, 1, 5, 2, 3, 4, 6, 7, 8, 9};
    for (int i = 0; i < 10; ++i) {
        const std::string prefix = "Shader Validation ID: " + std::to_string(loadOrder[i]) + ": ";
        EXPECT_EQ(entries[i].compare(0, prefix.size(), prefix), 0) << entries[i];
    }
    for (std::size_t i = 10; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i], "Framebuffer Complete") << "entry " << i;
    }
}

TEST_F(SceneFrameTest, SupersamplingKeysRebuildEveryTargetAtTheNewSize) {
    const RenderTargets* targets = nullptr;
    const std::string before = logText();
    keys[vk::digit(5)] = 1;
    frame();
    keys[vk::digit(5)] = 0;
    targets = sceneResources().renderTargets;
    EXPECT_EQ(sceneState().supersampling, 2);
    for (int index : {kPositionTarget, kNormalTarget, kColourTarget, kLitImageTarget, kSkyTarget, kSpareTarget}) {
        EXPECT_EQ(targets->getSize(index), 640) << "target " << index;
    }
    EXPECT_EQ(targets->getSize(kResolveTarget), 320);
    EXPECT_EQ(targets->getSize(kHalfBloomTarget), 160);
    for (int index : {kQuarterBloomTarget, kHorizontalBlurTarget, kBloomTarget}) {
        EXPECT_EQ(targets->getSize(index), 80) << "target " << index;
    }
    for (int light = 0; light < environmentLights().lightCount; ++light) {
        EXPECT_EQ(targets->getSize(kShadowTargetBase + light), kShadowMapSize) << "light " << light;
    }
    int width = 0, height = 0;
    targetPixels(kLitImageTarget, width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    const std::string after = logText();
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(countOccurrences(after.substr(before.size()), "Framebuffer Complete"), 75);

    keys[vk::digit(4)] = 1;
    frame();
    keys[vk::digit(4)] = 0;
    EXPECT_EQ(sceneState().supersampling, 1);
    EXPECT_EQ(sceneResources().renderTargets->getSize(kLitImageTarget), 320);
}

TEST_F(SceneFrameTest, FramesInBothModesWithAndWithoutSupersamplingLogNoGlErrorAndHoldOnlyFiniteValues) {
    for (int program : {kImageBasedLightingProgram, kAmbientOcclusionProgram}) {
        for (int factor : {1, 2}) {
            sceneState().lightingProgram = program;
            setSupersampling(factor);
            const std::string before = logText();
            for (int i = 0; i < 10; ++i) frame();
            EXPECT_EQ(logText(), before) << "mode " << program << ", supersampling " << factor;
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            for (int target : {kLitImageTarget, kSkyTarget, kBloomTarget}) {
                int width = 0, height = 0;
                const std::vector<float> pixels = targetPixels(target, width, height);
                const auto bad = std::find_if(pixels.begin(), pixels.end(), [](float v) { return !std::isfinite(v); });
                EXPECT_EQ(bad, pixels.end()) << "target " << target << ", mode " << program;
            }
        }
    }
}

TEST_F(SceneFrameTest, SkyFillsTheBackgroundAndChangesPerEnvironment) {
    double skyRed[3], skyBlue[3], skyBrightness[3];
    for (int environment = 0; environment < 3; ++environment) {
        environmentLights().selectEnvironment(environment);
        frame();
        int width = 0, height = 0;
        const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
        // The upper third of the view is all sky: every pixel written with alpha 1.
        double red = 0, blue = 0, brightness = 0;
        int count = 0;
        for (int y = height * 2 / 3; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const float* p = &sky[(y * width + x) * 4];
                EXPECT_FLOAT_EQ(p[3], 1.0f);
                red += p[0];
                blue += p[2];
                brightness += luminance(p);
                ++count;
            }
        }
        skyRed[environment] = red / count;
        skyBlue[environment] = blue / count;
        skyBrightness[environment] = brightness / count;
    }
    EXPECT_GT(skyBrightness[0], 0.1);
    EXPECT_GT(skyBrightness[1], 0.1);
    // The courtyard's warm walls, the open blue sky of the field, the dark studio.
    EXPECT_GT(skyRed[0] / skyBlue[0], skyRed[1] / skyBlue[1] + 0.2);
    EXPECT_LT(skyBrightness[2], 0.5 * std::min(skyBrightness[0], skyBrightness[1]));
}

TEST_F(SceneFrameTest, CharacterAndSpheresAreLitAndBlackedOutOfTheSky) {
    frame();
    int width = 0, height = 0;
    const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
    const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
    const Vector3 points[] = {{-3.5f, 0.6f, -2.6f}, {3.5f, 0.6f, -2.6f}, {0.0f, 1.3f, 0.1f}, {0.0f, 1.75f, 0.05f}};
    for (const Vector3& point : points) {
        int x = 0, y = 0;
        ASSERT_TRUE(project(point, x, y));
        const float* litPixel = &lit[(y * width + x) * 4];
        const float* skyPixel = &sky[(y * width + x) * 4];
        EXPECT_GT(luminance(litPixel), 0.02) << "at " << x << "," << y;
        EXPECT_FLOAT_EQ(skyPixel[3], 0.0f) << "silhouette at " << x << "," << y;
        EXPECT_FLOAT_EQ(luminance(skyPixel), 0.0f);
    }
}

TEST_F(SceneFrameTest, ShadowsDarkenTheGroundUnderTheCharacterAndTheSpheres) {
    // On the ground the lit image is the sky image times the share of light
    // that reaches the point, so their ratio is the shadow alone.
    for (int environment : {0, 1}) {
        environmentLights().selectEnvironment(environment);
        frame();
        int width = 0, height = 0;
        const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
        const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
        const std::vector<float> position = targetPixels(kPositionTarget, width, height);
        auto share = [&](const Vector3& ground, double& value) {
            int x = 0, y = 0;
            if (!project(ground, x, y)) return false;
            const int at = (y * width + x) * 4;
            if (position[at + 3] != 0.0f || luminance(&sky[at]) < 1e-4) return false;  // not open ground
            value = luminance(&lit[at]) / luminance(&sky[at]);
            return true;
        };
        // Open ground: the best lit of several points far from every object
        // (long shadows of a low sun may still reach some of them).
        double open = 0.0;
        for (const Vector3& point : {Vector3(-6, 0, -6), Vector3(6, 0, -6), Vector3(-7, 0, -1), Vector3(7, 0, -1),
                                     Vector3(-2, 0, -7), Vector3(2, 0, -7)}) {
            double value = 0.0;
            if (share(point, value)) open = std::max(open, value);
        }
        EXPECT_GT(open, 0.9) << "environment " << environment;
        const Vector3 centres[] = {{0, 0, 0}, {-3.5f, 0, -3}, {3.5f, 0, -3}};
        for (const Vector3& centre : centres) {
            double darkest = 1.0;
            for (float radius : {0.35f, 0.55f, 0.75f, 1.0f}) {
                for (int step = 0; step < 24; ++step) {
                    const float angle = static_cast<float>(step) * 6.2831853f / 24.0f;
                    double value = 1.0;
                    if (share(centre + Vector3(radius * std::cos(angle), 0, radius * std::sin(angle)), value)) {
                        darkest = std::min(darkest, value);
                    }
                }
            }
            EXPECT_LT(darkest, 0.8 * open) << "around (" << centre.x << ", " << centre.z << "), environment "
                                            << environment;
        }
    }
}

TEST_F(SceneFrameTest, TheSphereCastsItsShadowAwayFromTheBrightestLight) {
    environmentLights().selectEnvironment(1);  // a low sun outshines every other light
    frame();
    const EnvironmentLights& lights = environmentLights();
    int brightest = 0;
    for (int i = 1; i < lights.lightCount; ++i) {
        if (luminance(&lights.currentColours[i].x) > luminance(&lights.currentColours[brightest].x)) brightest = i;
    }
    const Vector3 away = normalize(Vector3(-lights.currentDirections[brightest].x, 0.0f,
                                           -lights.currentDirections[brightest].z));
    int width = 0, height = 0;
    const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
    const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
    const std::vector<float> position = targetPixels(kPositionTarget, width, height);
    // The darkest and the brightest share of light on open ground 2.2 to 4
    // units from the sphere, on the side away from the light and toward it.
    double darkestAway = 1.0, brightestToward = 0.0;
    const Vector3 sphere(3.5f, 0.0f, -3.0f);
    for (float distance : {2.2f, 3.0f, 4.0f}) {
        for (float side : {1.0f, -1.0f}) {
            int x = 0, y = 0;
            ASSERT_TRUE(project(sphere + (side * distance) * away, x, y));
            const int at = (y * width + x) * 4;
            ASSERT_TRUE(position[at + 3] == 0.0f && luminance(&sky[at]) > 1e-4) << "not open ground";
            const double share = luminance(&lit[at]) / luminance(&sky[at]);
            if (side > 0.0f) darkestAway = std::min(darkestAway, share);
            if (side < 0.0f) brightestToward = std::max(brightestToward, share);
        }
    }
    EXPECT_LT(darkestAway, 0.7 * brightestToward);
}

TEST_F(SceneFrameTest, MovingTheSphereMovesItsShadowInTheSameFrame) {
    environmentLights().selectEnvironment(1);  // the low sun casts long, dark shadows
    // The shadow share of ground points in a ring around a place, or -1 where
    // the point is not open ground in view.
    auto sharesAround = [](const Vector3& centre) {
        int width = 0, height = 0;
        const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
        const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
        const std::vector<float> position = targetPixels(kPositionTarget, width, height);
        std::vector<double> shares;
        for (float radius : {0.55f, 0.8f, 1.1f}) {
            for (int step = 0; step < 24; ++step) {
                const float angle = static_cast<float>(step) * 6.2831853f / 24.0f;
                int x = 0, y = 0;
                double share = -1.0;
                if (project(centre + Vector3(radius * std::cos(angle), 0, radius * std::sin(angle)), x, y)) {
                    const int at = (y * width + x) * 4;
                    if (position[at + 3] == 0.0f && luminance(&sky[at]) > 1e-4) {
                        share = luminance(&lit[at]) / luminance(&sky[at]);
                    }
                }
                shares.push_back(share);
            }
        }
        return shares;
    };
    // The largest drop in light from the first list to the second, over points open in both.
    auto largestDrop = [](const std::vector<double>& first, const std::vector<double>& second) {
        double drop = 0.0;
        for (std::size_t i = 0; i < first.size(); ++i) {
            if (first[i] >= 0.0 && second[i] >= 0.0) drop = std::max(drop, first[i] - second[i]);
        }
        return drop;
    };
    const Vector3 oldPlace(3.5f, 0.0f, -3.0f);
    const Vector3 newPlace(-1.5f, 0.0f, 2.0f);
    frame();
    const std::vector<double> oldPlaceBefore = sharesAround(oldPlace);
    const std::vector<double> newPlaceBefore = sharesAround(newPlace);
    sceneState().spherePosition = Vector3(newPlace.x, 0.45f, newPlace.z);
    frame();
    EXPECT_GT(largestDrop(sharesAround(oldPlace), oldPlaceBefore), 0.3) << "the old place gets its light back";
    EXPECT_GT(largestDrop(newPlaceBefore, sharesAround(newPlace)), 0.3) << "the shadow follows the sphere";
}

TEST_F(SceneFrameTest, TheBrightestCourtyardLightLiesWhereTheSkyDrawsItsBrightestPart) {
    const EnvironmentLights& lights = environmentLights();
    int brightest = 0;
    for (int i = 1; i < lights.lightCount; ++i) {
        if (luminance(&lights.currentColours[i].x) > luminance(&lights.currentColours[brightest].x)) brightest = i;
    }
    const Vector3 direction = lights.currentDirections[brightest];
    const Vector3 eye(0.0f, 3.0f, 8.0f);
    camera().place(eye.x, eye.y, eye.z, eye.x + direction.x, eye.y + direction.y, eye.z + direction.z, 0.0f, 1.0f,
                   0.0f);
    frame();
    int width = 0, height = 0;
    const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
    std::vector<double> brightness;
    double centre = 0.0;
    int centreCount = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double value = luminance(&sky[(y * width + x) * 4]);
            brightness.push_back(value);
            if (std::abs(x - width / 2) < 8 && std::abs(y - height / 2) < 8) {
                centre += value;
                ++centreCount;
            }
        }
    }
    std::sort(brightness.begin(), brightness.end());
    EXPECT_GE(centre / centreCount, brightness[brightness.size() * 9 / 10]);
}

TEST_F(SceneFrameTest, AmbientOcclusionModeIsGreyAndDarkerNearObjects) {
    sceneState().lightingProgram = kAmbientOcclusionProgram;
    frame();
    const std::vector<unsigned char> pixels = windowPixels();
    int worst = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        worst = std::max({worst, std::abs(pixels[i] - pixels[i + 1]), std::abs(pixels[i + 1] - pixels[i + 2])});
    }
    EXPECT_LE(worst, 2);

    int width = 0, height = 0;
    const std::vector<float> occlusion = targetPixels(kLitImageTarget, width, height);
    auto at = [&](const Vector3& point, double& value) {
        int x = 0, y = 0;
        if (!project(point, x, y)) return false;
        value = occlusion[(y * width + x) * 4];
        return true;
    };
    double open = 0.0;
    ASSERT_TRUE(at(Vector3(-5.5f, 0.0f, 1.0f), open));
    double darkest = open;
    for (int step = 0; step < 24; ++step) {
        const float angle = static_cast<float>(step) * 6.2831853f / 24.0f;
        double value = 0.0;
        if (at(Vector3(-3.5f + 0.55f * std::cos(angle), 0.0f, -3.0f + 0.55f * std::sin(angle)), value)) {
            darkest = std::min(darkest, value);
        }
    }
    EXPECT_LT(darkest, 0.8 * open);
}

TEST_F(SceneFrameTest, HigherExposureGivesABrighterPicture) {
    double mean[3];
    const float exposures[] = {0.0f, 1.0f, 3.0f};
    for (int i = 0; i < 3; ++i) {
        sceneState().exposure = exposures[i];
        frame();
        mean[i] = meanLuminance(windowPixels());
    }
    EXPECT_LT(mean[0] + 10.0, mean[1]);
    EXPECT_LT(mean[1] + 10.0, mean[2]);
}

TEST_F(SceneFrameTest, SupersamplingSoftensHardEdges) {
    sceneState().showHelp = false;
    sceneState().lightingProgram = kAmbientOcclusionProgram;  // flat greys: the edges of the objects and the ground dominate
    frame();
    const double single = edgeEnergy(windowPixels(), kWidth, kHeight);
    setSupersampling(2);
    frame();
    const double doubled = edgeEnergy(windowPixels(), kWidth, kHeight);
    EXPECT_LT(doubled, 0.8 * single);
}

TEST_F(SceneFrameTest, OverlayGlyphsHaveAOnePixelBlackShadowBelowAndRightOfThem) {
    frame();
    const std::vector<unsigned char> pixels = windowPixels();
    auto at = [&](int x, int y) { return &pixels[(y * kWidth + x) * 3]; };
    auto white = [&](int x, int y) { return at(x, y)[0] == 255 && at(x, y)[1] == 255 && at(x, y)[2] == 255; };
    int glyphPixels = 0, edges = 0, shadowed = 0;
    for (int y = kHeight * 2 / 3; y < kHeight; ++y) {  // the help lines, over the bright courtyard
        for (int x = 0; x + 1 < kWidth / 2; ++x) {
            if (!white(x, y)) continue;
            ++glyphPixels;
            if (white(x + 1, y - 1)) continue;  // rows are bottom first: y - 1 is one pixel down
            ++edges;
            const unsigned char* shadow = at(x + 1, y - 1);
            shadowed += shadow[0] + shadow[1] + shadow[2] == 0 ? 1 : 0;
        }
    }
    // Saturated sky is white too; its edges are not shadowed, the glyphs' are.
    EXPECT_GT(glyphPixels, 200);
    EXPECT_GT(edges, 100);
    EXPECT_GT(shadowed, edges * 8 / 10);
}

namespace {

std::string writeDropMap(const std::string& path) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    for (int y = 0; y < 32; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < 64; ++x) row[x] = {0.1f * (x % 7), 0.05f * (y % 5), 0.3f};
    }
    reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, 28))[10] = {500.0f, 400.0f, 300.0f};
    EXPECT_TRUE(FreeImage_Save(FIF_HDR, image, path.c_str(), 0));
    FreeImage_Unload(image);
    return path;
}

}  // namespace

TEST_F(SceneFrameTest, ADroppedMapReplacesTheCurrentEnvironmentAfterAFrameSaysLoadingAndABrokenOneChangesNothing) {
    environmentLights().selectEnvironment(2);
    GLuint* textures = sceneResources().environmentTextures;
    const GLuint studio = textures[2];
    const std::string path = writeDropMap("dropped-sky.hdr");
    // A drop arrives as SDL delivers it: an event whose file name the receiver frees.
    SDL_Event event = {};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path.c_str());
    event.drop.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    WindowMessage message;
    for (int i = 0; i < 1000 && message.type != MessageType::DropFile; ++i) {
        ASSERT_TRUE(peekMessage(sceneWindow().native, message));
    }
    ASSERT_EQ(message.path, path);
    windowProc(sceneWindow(), message);
    EXPECT_EQ(overlayStatus(), "Loading dropped-sky.hdr");
    frame();
    loadDroppedEnvironment(sceneWindow());

    EXPECT_FALSE(glIsTexture(studio));
    EXPECT_TRUE(glIsTexture(textures[2]));
    EXPECT_EQ(overlayStatus(), "");
    EXPECT_EQ(environmentOverlayLine(2), "Environment(1/2/3): dropped-sky.hdr");
    FIBITMAP* image = loadRescaledEnvironmentImage(path.c_str(), kEnvironmentMapSize, kEnvironmentMapSize);
    ASSERT_NE(image, nullptr);
    std::vector<float> pixels(std::size_t(kEnvironmentMapSize) * kEnvironmentMapSize * 3);
    copyEnvironmentPixels(image, pixels.data());
    FreeImage_Unload(image);
    Vector3 directions[kDefaultLightCount];
    Vector3 colours[kDefaultLightCount];
    extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours);
    const EnvironmentLights& lights = environmentLights();
    EXPECT_EQ(std::memcmp(lights.currentDirections, directions, sizeof directions), 0);
    EXPECT_EQ(std::memcmp(lights.currentColours, colours, sizeof colours), 0);

    // A broken map leaves texture and lights as they are and says why.
    const std::string map = readWholeFile(path);
    std::FILE* cut = std::fopen("broken.hdr", "wb");
    std::fwrite(map.data(), 1, map.size() / 2, cut);
    std::fclose(cut);
    const GLuint dropped = textures[2];
    message.path = "broken.hdr";
    testing::internal::CaptureStderr();
    windowProc(sceneWindow(), message);
    frame();
    loadDroppedEnvironment(sceneWindow());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Could not load broken.hdr: truncated: its picture data ends early"), std::string::npos)
        << said;
    EXPECT_EQ(overlayStatus(), "Could not load broken.hdr: truncated");
    EXPECT_EQ(textures[2], dropped);
    EXPECT_EQ(std::memcmp(lights.currentColours, colours, sizeof colours), 0);

    std::string cause;
    EXPECT_TRUE(replaceEnvironment(2, kEnvironmentFiles[2], textures, cause)) << cause;
    setEnvironmentFile(2, "");
    clearOverlayStatus();
}
