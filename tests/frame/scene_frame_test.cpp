// The whole frame in a real GL context: supersampling rebuilds, clean frames, pictures, drops and light strength.
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "app/background_loads.h"
#include "app/window_procedure.h"
#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "environment/environment_sources.h"
#include "environment/light_extractor.h"
#include "frame/lit_image.h"
#include "environment/map_memory.h"
#include "frame/overlay_pass.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "frame/scene_targets.h"
#include "frame/shader_programs.h"
#include "gpu/render_targets.h"
#include "platform/native_window.h"
#include "platform/virtual_keys.h"
#include "scene_fixture.h"
#include "state/scene_state.h"
#include "support/program_run.h"
#include "support/radiance_map.h"
#include "support/scratch_directory.h"

namespace {

// The lit, sky, position and normal targets after a frame, read back at once.
struct Targets {
    int width = 0, height = 0;  // set by read(), so declared first
    std::vector<float> lit = read(kLitImageTarget), sky = read(kSkyTarget), position = read(kPositionTarget),
                       normal = read(kNormalTarget);
    std::vector<float> read(int target) { return SceneFixture::targetPixels(target, width, height); }
    const float* at(const std::vector<float>& image, const Vector3& point) const {
        int x = 0, y = 0;
        return SceneFixture::project(point, x, y) ? &image[(y * width + x) * 4] : nullptr;
    }
    // The share of light reaching open ground (lit over sky); -1 where the point is not open ground in view.
    double share(const Vector3& point) const {
        const float *l = at(lit, point), *s = at(sky, point), *p = at(position, point);
        return p == nullptr || p[3] != 0.0f || luminance(s) < 1e-4 ? -1.0 : luminance(l) / luminance(s);
    }
};

}  // namespace

class SceneFrameTest : public SceneFixture {};

TEST_F(SceneFrameTest, SupersamplingKeysRebuildEveryTargetAtTheNewSize) {
    const std::size_t logBefore = readWholeFile("Log.txt").size();
    keys[vk::digit(5)] = 1;
    frame();
    const RenderTargets* targets = sceneResources().renderTargets;
    const int sizes[] = {640, 640, 640, 640, 640, 160, 80, 80, 80, 320, 640};  // by index, to kSpareTarget
    for (int index = 0; index <= kSpareTarget; ++index) EXPECT_EQ(targets->getSize(index), sizes[index]) << index;
    for (int light = 0; light < environmentLights().lightCount; ++light) {
        EXPECT_EQ(targets->getSize(kShadowTargetBase + light), kShadowMapSize) << "light " << light;
    }
    int width = 0, height = 0;
    targetPixels(kLitImageTarget, width, height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(640, 480));
    EXPECT_EQ(countOccurrences(readWholeFile("Log.txt").substr(logBefore), "Framebuffer Complete"), 75);
    keys[vk::digit(5)] = 0, keys[vk::digit(4)] = 1;
    frame();
    EXPECT_EQ(sceneResources().renderTargets->getSize(kLitImageTarget), 320);
}

// The occlusion picture's greyness shows in the end-to-end run of its key.
TEST_F(SceneFrameTest, SupersampledOcclusionFramesLogNoErrorAndAreDarkerNearObjects) {
    sceneState().lightingProgram = kAmbientOcclusionProgram;
    setSupersampling(2);
    const std::string before = readWholeFile("Log.txt");
    for (int i = 0; i < 3; ++i) frame();
    EXPECT_EQ(readWholeFile("Log.txt"), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    setSupersampling(1);
    frame();
    const Targets image;  // the ground right beside a sphere is darker than open ground
    double darkest = 1e9;
    for (float angle = 0.0f; angle < 6.28f; angle += 0.26f) {
        const float* p =
            image.at(image.lit, Vector3(-3.5f + 0.55f * std::cos(angle), 0, -3.0f + 0.55f * std::sin(angle)));
        darkest = std::min<double>(darkest, p != nullptr ? p[0] : 1e9);
    }
    EXPECT_LT(darkest, 0.8 * image.at(image.lit, Vector3(-5.5f, 0.0f, 1.0f))[0]);
}

TEST_F(SceneFrameTest, AMovedSphereCastsItsShadowAwayFromTheBrightestLightInTheSameFrame) {
    environmentLights().selectEnvironment(1);  // a low sun outshines every other light
    const Vector3 sphere(3.5f, 0.0f, -3.0f);
    sceneState().spherePosition = Vector3(-1.5f, 0.45f, 2.0f);
    frame();
    sceneState().spherePosition = sphere + Vector3(0.0f, 0.45f, 0.0f);
    frame();
    const EnvironmentLights& lights = environmentLights();
    const Vector3* colours = lights.currentColours;
    const Vector3 d =
        lights.currentDirections[std::max_element(colours, colours + lights.lightCount,
                                                  [](auto& a, auto& b) { return luminance(&a.x) < luminance(&b.x); }) -
                                 colours];
    const Vector3 away = normalize(Vector3(-d.x, 0.0f, -d.z));
    const Targets image;
    double darkestAway = 1.0, brightestToward = 0.0;  // where the ground is not open in view, share() is -1
    for (float distance : {2.2f, 3.0f, 4.0f}) {
        darkestAway = std::min(darkestAway, image.share(sphere + distance * away));
        brightestToward = std::max(brightestToward, image.share(sphere - distance * away));
    }
    EXPECT_GE(darkestAway, 0.0) << "the ground away from the sun in view";
    EXPECT_LT(darkestAway, 0.7 * brightestToward);
}

TEST_F(SceneFrameTest, OverlayGlyphsHaveAOnePixelBlackShadowBelowAndRightOfThem) {
    frame();
    const std::vector<unsigned char> pixels = windowPixels();
    auto sum = [&](int x, int y) {
        return pixels[(y * kWidth + x) * 3] + pixels[(y * kWidth + x) * 3 + 1] + pixels[(y * kWidth + x) * 3 + 2];
    };
    int glyphPixels = 0, edges = 0, shadowed = 0;
    for (int y = kHeight * 2 / 3; y < kHeight; ++y) {  // the help lines, over the bright courtyard
        for (int x = 0; x + 1 < kWidth / 2; ++x) {
            // rows are bottom first: y - 1 is one pixel down
            const bool glyph = sum(x, y) == 765, edge = glyph && sum(x + 1, y - 1) != 765;
            glyphPixels += glyph;
            edges += edge;
            shadowed += edge && sum(x + 1, y - 1) == 0;
        }
    }
    // Saturated sky is white too; its edges are not shadowed, the glyphs' are.
    EXPECT_GT(glyphPixels, 200);
    EXPECT_GT(edges, 100);
    EXPECT_GT(shadowed, edges * 8 / 10) << "edges shadowed";
}

namespace {

// A file dropped on the window, delivered as SDL delivers it: an event whose file name the receiver frees.
void dropOnWindow(const AppWindow& window, const std::string& name) {
    SDL_Event event = {};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(name.c_str());
    event.drop.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    // SDL's poll may say "none" once between the window's own events and the drop, as the main loop sees it.
    WindowMessage message;
    for (int i = 0; i < 1000 && message.type != MessageType::DropFile; ++i) peekMessage(window.native, message);
    ASSERT_EQ(message.path, name);
    windowProc(const_cast<AppWindow&>(window), message);
}

// Kibibytes the process holds (VmRSS) or has held at most since the peak was reset (VmHWM).
long memoryKib(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    return -1;
}
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace

TEST_F(SceneFrameTest, ADroppedMapLoadsWhileFramesGoOnAndSwitchesInBetweenTwoFramesWithinItsMemoryEstimate) {
    environmentLights().selectEnvironment(2);
    GLuint* textures = sceneResources().environmentTextures;
    // 8192 x 4096: seconds of decoding and 400 MB of pixels, from a 2 MB file.
    const std::string file = discMap(8192, 4096, 2048, 1024, 60);
    std::ofstream("large-sky.hdr", std::ios::binary) << file;
    MapPicture picture;
    picture.width = 8192, picture.height = 4096;
    const long estimateKib =
        long(mapLoadingBytes(picture, file.size(), kEnvironmentMapSize, kEnvironmentMapSize) >> 10);
    // The program's usual: its peak over frames without a load.
    resetPeakMemory();
    for (int i = 0; i < 2; ++i) frame();
    const long usualKib = memoryKib("VmHWM");

    resetPeakMemory();
    dropOnWindow(appWindow, "large-sky.hdr");
    EXPECT_EQ(overlayStatus(), "Loading large-sky.hdr (0 s)");
    const GLuint studio = textures[2];
    int framesWhileLoading = 0;
    for (; backgroundLoadPending() && framesWhileLoading < 1000; ++framesWhileLoading) {
        frame();
        EXPECT_EQ(textures[2], studio) << "the map changes only between frames";
        applyFinishedLoads(appWindow);
    }
    EXPECT_GE(framesWhileLoading, 5);
    EXPECT_FALSE(glIsTexture(studio));
    EXPECT_TRUE(glIsTexture(textures[2]));
    EXPECT_EQ(environmentOverlayLine(2), "Environment(1/2/3): large-sky.hdr");
    EXPECT_EQ(overlayStatus(), "");
    EXPECT_LE(memoryKib("VmHWM"), usualKib + estimateKib) << "usual " << usualKib << " KiB";
    // The disc is the brightest light: column 2048 of 8192 looks along +x, row 1024 from the top is 45 degrees up.
    const EnvironmentLights& lights = environmentLights();
    const Vector3* colours = lights.currentColours;
    const Vector3& d = lights.currentDirections[std::max_element(colours, colours + lights.lightCount,
                                                                 [](auto& a, auto& b) { return a.x < b.x; }) -
                                                colours];
    EXPECT_GT((d.x + d.y) * std::sqrt(0.5f), 0.99f) << d.x << " " << d.y << " " << d.z;
    std::string cause;
    EXPECT_TRUE(replaceEnvironment(2, kEnvironmentFiles[2], textures, cause)) << cause;
    setEnvironmentFile(2, "");
}

TEST_F(SceneFrameTest, ANewerDropReplacesAPendingOneAndABrokenMapChangesNothingAndSaysWhy) {
    environmentLights().selectEnvironment(2);
    GLuint* textures = sceneResources().environmentTextures;
    std::ofstream("first-sky.hdr", std::ios::binary) << discMap(1024, 512, 256, 128, 20);
    std::filesystem::copy_file(kEnvironmentFiles[1], "dropped-sky.hdr");  // the field's map, whose lights are known
    dropOnWindow(appWindow, "first-sky.hdr");
    dropOnWindow(appWindow, "dropped-sky.hdr");
    EXPECT_EQ(overlayStatus(), "Loading dropped-sky.hdr (0 s)");
    for (int i = 0; backgroundLoadPending() && i < 1000; ++i) frame(), applyFinishedLoads(appWindow);
    EXPECT_EQ(environmentOverlayLine(2), "Environment(1/2/3): dropped-sky.hdr");
    sleepMilliseconds(300);  // the replaced load has ended by now, with a result or at a step
    applyFinishedLoads(appWindow);
    EXPECT_EQ(environmentOverlayLine(2), "Environment(1/2/3): dropped-sky.hdr") << "the replaced result never lands";

    // A broken map leaves texture and lights as they are and says why.
    std::ofstream("broken.hdr", std::ios::binary) << readWholeFile("dropped-sky.hdr").substr(0, 5000);
    const GLuint dropped = textures[2];
    testing::internal::CaptureStderr();
    dropOnWindow(appWindow, "broken.hdr");
    for (int i = 0; backgroundLoadPending() && i < 1000; ++i) frame(), applyFinishedLoads(appWindow);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Could not load broken.hdr: truncated: its picture data ends early"), std::string::npos)
        << said;
    EXPECT_EQ(overlayStatus(), "Could not load broken.hdr: truncated");
    EXPECT_EQ(textures[2], dropped);
    const EnvironmentLights& lights = environmentLights();
    EXPECT_EQ(std::memcmp(lights.currentColours, lights.colours[1], lights.lightCount * sizeof(Vector3)), 0);
    std::string cause;
    EXPECT_TRUE(replaceEnvironment(2, kEnvironmentFiles[2], textures, cause)) << cause;
    setEnvironmentFile(2, "");
    clearOverlayStatus();
}

// What the lookup may hand out for a name the driver lacks: an entry point that does nothing.
void APIENTRY blitThatDoesNothing(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum) {}

TEST_F(SceneFrameTest, ADriverWithoutTheBlitExtensionStillGetsALitPicture) {
    std::string extensions = sdlPlatformServices().glExtensions();
    const std::string blit = "GL_EXT_framebuffer_blit";
    ASSERT_NE(extensions.find(blit + " "), std::string::npos);
    extensions.erase(extensions.find(blit + " "), blit.size() + 1);
    fakePlatform().extensionString = extensions;
    fakePlatform().standInEntryPoints["glBlitFramebufferEXT"] = reinterpret_cast<void*>(&blitThatDoesNothing);
    rebuildRenderTargets();  // looks the entry points up again
    frame();
    const Targets image;
    int geometry = 0, lit = 0;  // pixels of the objects and the ground, and those of them that got light
    for (int i = 0; i < image.width * image.height * 4; i += 4) {
        const Vector3 normal(image.normal[i], image.normal[i + 1], image.normal[i + 2]);
        const bool covered = dot(normal, normal) > 0.25f;  // the background keeps a zero normal
        geometry += covered;
        lit += covered && luminance(&image.lit[i]) > 0.0;
    }
    fakePlatform().extensionString.reset();
    fakePlatform().standInEntryPoints.clear();
    rebuildRenderTargets();
    EXPECT_GT(geometry, 10000);
    EXPECT_GT(lit, geometry * 9 / 10);
}

// Light strength (furnace, linear scale, sun shadows): a suite, and so a scene, of its own.
namespace {

constexpr int kSize = kEnvironmentMapSize;
constexpr float kPi = 3.14159265f;

// Uniform sky plus a 3-degree disc around sun with sunShare of the light above the horizon, or radiance sunRadiance.
std::vector<float> skyMap(float sky, const Vector3& sun = Vector3(), float sunShare = 0.0f, float sunRadiance = 0.0f) {
    const float radius = 3.0f * kPi / 180.0f, disc = 2.0f * kPi * (1.0f - std::cos(radius));
    sunRadiance = sunShare > 0.0f ? sky + sky * 2.0f * kPi * sunShare / (1.0f - sunShare) / disc : sunRadiance;
    std::vector<float> pixels(static_cast<size_t>(kSize) * kSize * 3, sky);
    for (int i = 0; i < kSize * kSize && sunRadiance > 0.0f; ++i) {
        if (dot(lightDirection(i % kSize, i / kSize, kSize, kSize), sun) > std::cos(radius)) {
            std::fill_n(&pixels[3 * static_cast<size_t>(i)], 3, sunRadiance);
        }
    }
    return pixels;
}

double mean(const std::vector<double>& values) {
    return values.empty() ? 0.0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

// Lit values of the matte sphere's pixels whose normal passes the test.
template <typename Test>
std::vector<double> matteSphere(const Targets& image, Test test) {
    std::vector<double> values;
    for (int i = 0; i < image.width * image.height * 4; i += 4) {
        const float *p = &image.position[i], *n = &image.normal[i];
        if (p[3] == 1.0f && length(Vector3(p[0], p[1], p[2]) - Vector3(-3.5f, 0.45f, -3.0f)) < 0.55f &&
            test(Vector3(n[0], n[1], n[2]))) {
            values.push_back(luminance(&image.lit[i]));
        }
    }
    return values;
}

// The darkest ground on the segment from a to b over the mean ground beside it (moved by offset), where in view.
double shadowOverBeside(const Targets& image, const Vector3& a, const Vector3& b, const Vector3& offset) {
    std::vector<double> inside, beside;
    for (int step = 0; step < 42; ++step) {
        const Vector3 point = a + (b - a) * (static_cast<float>(step / 2) / 20.0f) + (step % 2 ? offset : Vector3());
        const float* p = image.at(image.position, point);
        if (p != nullptr && p[3] == 0.0f) (step % 2 ? beside : inside).push_back(luminance(image.at(image.lit, point)));
    }
    EXPECT_FALSE(inside.empty()) << "ground in view on the segment";
    EXPECT_FALSE(beside.empty()) << "ground in view beside it";
    return inside.empty() ? 1.0 : *std::min_element(inside.begin(), inside.end()) / mean(beside);
}

class LightStrengthTest : public SceneFixture {
protected:
    // Makes the map environment 0 (texture and lights) and draws a frame without animating.
    static Targets render(const std::vector<float>& pixels) {
        glBindTexture(GL_TEXTURE_2D, sceneResources().environmentTextures[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kSize, kSize, 0, GL_RGB, GL_FLOAT, pixels.data());
        storeLights(0, pixels.data(), kSize, kSize);
        environmentLights().selectEnvironment(0);
        frame(0);
        return Targets();
    }
};

}  // namespace

// A uniform world: the lights bring the sky's light, the ground light the rest, so the white matte sphere is as bright
// as the world all round (within what 64 lights and nine harmonics can do).
TEST_F(LightStrengthTest, UniformWorldLightsTheMatteSphereAsBrightlyAsTheWorldAboveAndBelowItsEquator) {
    camera().place(-3.5f, 1.6f, -1.2f, -3.5f, 0.45f, -3.0f, 0.0f, 1.0f, 0.0f);
    for (float radiance : {0.25f, 1.0f, 4.0f}) {
        const Targets image = render(skyMap(radiance));
        const std::vector<double> top = matteSphere(image, [](const Vector3& n) { return n.y > 0.98f; });
        const std::vector<double> belowEquator =
            matteSphere(image, [](const Vector3& n) { return n.y < -0.05f && n.y > -0.3f; });
        ASSERT_GT(top.size(), 20u);
        ASSERT_GT(belowEquator.size(), 20u);
        const auto [low, high] = std::minmax_element(top.begin(), top.end());
        EXPECT_NEAR(*low / radiance, 1.0, 0.05) << "top, sky radiance " << radiance;
        EXPECT_NEAR(*high / radiance, 1.0, 0.05) << "top, sky radiance " << radiance;
        const auto [lowBelow, highBelow] = std::minmax_element(belowEquator.begin(), belowEquator.end());
        EXPECT_NEAR(*lowBelow / radiance, 1.0, 0.1) << "below the equator, sky radiance " << radiance;
        EXPECT_NEAR(*highBelow / radiance, 1.0, 0.1) << "below the equator, sky radiance " << radiance;
    }
}

TEST_F(LightStrengthTest, SunLightsTheSideFacingItAndEightTimesTheMapLightsEightTimesBrighter) {
    const Vector3 sun = normalize(Vector3(1.0f, 1.0f, 0.0f));  // 45 degrees up toward +x
    const Targets once = render(skyMap(0.05f, sun, 0.9f));
    const double farSide = mean(matteSphere(once, [&](const Vector3& n) { return dot(n, sun) < -0.3f; }));
    EXPECT_GT(farSide, 0.0);
    EXPECT_GT(mean(matteSphere(once, [&](const Vector3& n) { return dot(n, sun) > 0.7f; })), 10.0 * farSide);

    const Targets eightfold = render(skyMap(0.4f, sun, 0.9f));
    std::vector<double> ratios;  // every object pixel eight times as bright
    for (int i = 0; i < once.width * once.height * 4; ++i) {
        if (once.position[i | 3] == 1.0f && i % 4 < 3 && luminance(&once.lit[i & ~3]) >= 1e-3) {
            ratios.push_back(eightfold.lit[i] / once.lit[i]);
        }
    }
    ASSERT_GT(ratios.size(), 1500u);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    EXPECT_NEAR(*low, 8.0, 0.08);
    EXPECT_NEAR(*high, 8.0, 0.08);
}

TEST_F(LightStrengthTest, ASunOfAMillionLeavesNoNanInfinityOrNegativeValueInAnyTarget) {
    // Facing the sun in the sky; then from behind the spheres, so that the mirror sphere shows it.
    camera().place(0.0f, 1.5f, 8.0f, 0.0f, 1.77f, 7.0f, 0.0f, 1.0f, 0.0f);
    render(skyMap(0.05f, normalize(Vector3(0.0f, 1.0f, -1.0f)), 0.0f, 1.0e6f));
    for (int view = 0; view < 2; ++view) {
        if (view == 1) camera().place(1.75f, 1.2f, -7.0f, 1.75f, 1.1f, -6.0f, 0.0f, 1.0f, 0.0f), frame(0);
        for (int target = kLitImageTarget; target <= kBloomTarget; ++target) {
            int width = 0, height = 0;
            const std::vector<float> pixels = targetPixels(target, width, height);
            EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(), [](float v) { return !std::isfinite(v); }), 0)
                << "target " << target << ", view " << view;
            EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(), [](float v) { return v < 0.0f; }), 0)
                << "target " << target << ", view " << view;
        }
    }
}

TEST_F(LightStrengthTest, LowSunDarkensTheGroundOnlyByItsShareOfTheGroundsLight) {
    // A sun 10 degrees high with half the sky's energy gives the ground a quarter of its light (sin 10 degrees
    // against the sky's mean cosine of one half): the ground in the matte sphere's long shadow keeps three quarters.
    const float elevation = 10.0f * kPi / 180.0f;
    const Targets image = render(skyMap(0.05f, Vector3(std::cos(elevation), std::sin(elevation), 0.0f), 0.5f));
    EXPECT_NEAR(shadowOverBeside(image, Vector3(-7, 0, -3), Vector3(-5, 0, -3), Vector3(0, 0, 1.5f)), 0.74, 0.07);
}

TEST_F(LightStrengthTest, TheUnshadowedLitImageLetsEveryLightReachTheGroundAndTheLitImageKeepsTheSky) {
    const Vector3 sun = normalize(Vector3(1.0f, 1.0f, 0.0f));
    const Targets targets = render(skyMap(0.05f, sun, 0.9f));
    const LitImage lit = readLitImage();
    const LitImage unshadowed = renderUnshadowedLitImage();
    ASSERT_EQ(std::make_pair(lit.width, lit.height), std::make_pair(kWidth, kHeight));
    const auto at = [](const LitImage& image, const Vector3& point) {
        int x = 0, y = 0;
        EXPECT_TRUE(project(point, x, y));
        return luminance(&image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3]);
    };
    const Vector3 shadowed(-0.9f, 0.0f, 0.0f);  // the character's shadow falls toward -x
    EXPECT_LT(at(lit, shadowed), 0.25 * at(unshadowed, shadowed));
    const Vector3 open(-0.9f, 0.0f, 1.2f);
    EXPECT_NEAR(at(lit, open) / at(unshadowed, open), 1.0, 1e-3);
    const Vector3 skyPoint(0.0f, 30.0f, -40.0f);  // above the scene, where only the sky shows
    EXPECT_FLOAT_EQ(static_cast<float>(at(lit, skyPoint)),
                    static_cast<float>(luminance(targets.at(targets.sky, skyPoint))));
}
