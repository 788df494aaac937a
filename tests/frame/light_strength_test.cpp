// Light strength in the lit image: a white furnace, linear scale, a sun's shadows, and no overflow.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "frame/scene_resources.h"
#include "scene_fixture.h"

namespace {

constexpr int kSize = kEnvironmentMapSize;
const Vector3 kMatteSphere(-3.5f, 0.45f, -3.0f);

// Uniform sky radiance plus a disc of 3 degrees radius around sun that holds sunShare of the light above the
// horizon (when sunShare > 0) or has radiance sunRadiance.
std::vector<float> skyMap(float sky, const Vector3& sun = Vector3(), float sunShare = 0.0f, float sunRadiance = 0.0f) {
    const float radius = 3.0f * 3.14159265f / 180.0f, disc = 2.0f * 3.14159265f * (1.0f - std::cos(radius));
    if (sunShare > 0.0f)
        sunRadiance = sky + sky * 2.0f * 3.14159265f * sunShare / (1.0f - sunShare) / disc;
    std::vector<float> pixels(static_cast<size_t>(kSize) * kSize * 3, sky);
    for (int i = 0; i < kSize * kSize && sunRadiance > 0.0f; ++i) {
        if (dot(lightDirection(i % kSize, i / kSize, kSize, kSize), sun) > std::cos(radius)) {
            std::fill_n(&pixels[3 * static_cast<size_t>(i)], 3, sunRadiance);
        }
    }
    return pixels;
}

Vector3 sunAt45Degrees(float x, float z) { return normalize(Vector3(x, std::sqrt(x * x + z * z), z)); }

double mean(const std::vector<double>& values) {
    return values.empty() ? 0.0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

class LightStrengthTest : public SceneFixture {
protected:
    // Makes the map environment 0 (texture and lights), draws a frame without animating and reads the targets back.
    void render(const std::vector<float>& pixels) {
        glBindTexture(GL_TEXTURE_2D, sceneResources().environmentTextures[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kSize, kSize, 0, GL_RGB, GL_FLOAT, pixels.data());
        EnvironmentLights& lights = environmentLights();
        extractLights(pixels.data(), kSize, kSize, lights.directions[0], lights.colours[0], lights.solidAngles[0]);
        lights.updateGroundEnergy(0);
        lights.selectEnvironment(0);
        frame(0);
        lit = targetPixels(kLitImageTarget, width, height);
        normals = targetPixels(kNormalTarget, width, height);
        positions = targetPixels(kPositionTarget, width, height);
    }
    // Lit values of the matte sphere's pixels whose normal passes the test.
    template <typename Test>
    std::vector<double> matteSphere(Test test) const {
        std::vector<double> values;
        for (int i = 0; i < width * height; ++i) {
            const float* p = &positions[i * 4];
            if (p[3] == 1.0f && length(Vector3(p[0], p[1], p[2]) - kMatteSphere) < 0.55f &&
                test(Vector3(normals[i * 4], normals[i * 4 + 1], normals[i * 4 + 2]))) {
                values.push_back(luminance(&lit[i * 4]));
            }
        }
        return values;
    }
    // The darkest ground on the segment from a to b over the mean ground beside it (moved by offset), where in view.
    double shadowOverBeside(const Vector3& a, const Vector3& b, const Vector3& offset) const {
        std::vector<double> inside, beside;
        auto add = [&](const Vector3& point, std::vector<double>& into) {
            int x = 0, y = 0;
            if (project(point, x, y) && positions[(y * width + x) * 4 + 3] == 0.0f) {
                into.push_back(luminance(&lit[(y * width + x) * 4]));
            }
        };
        for (int step = 0; step <= 20; ++step) {
            add(a + (b - a) * (step / 20.0f), inside);
            add(a + (b - a) * (step / 20.0f) + offset, beside);
        }
        EXPECT_FALSE(inside.empty() || beside.empty()) << "ground in view";
        return inside.empty() ? 1.0 : *std::min_element(inside.begin(), inside.end()) / mean(beside);
    }
    std::vector<float> lit, normals, positions;
    int width = 0, height = 0;
};

}  // namespace

TEST_F(LightStrengthTest, UniformSkyLightsTheMatteSphereTopAsBrightlyAsTheSky) {
    camera().place(-3.5f, 2.5f, -1.0f, -3.5f, 0.45f, -3.0f, 0.0f, 1.0f, 0.0f);
    for (float radiance : {0.25f, 1.0f, 4.0f}) {
        render(skyMap(radiance));
        const std::vector<double> top = matteSphere([](const Vector3& n) { return n.y > 0.98f; });
        ASSERT_GT(top.size(), 20u);
        const auto [low, high] = std::minmax_element(top.begin(), top.end());
        EXPECT_TRUE(std::abs(*low / radiance - 1.0) < 0.05 && std::abs(*high / radiance - 1.0) < 0.05)
            << "sky radiance " << radiance << ": " << *low << " to " << *high;
    }
}

TEST_F(LightStrengthTest, SunCastsDarkShadowsAndEightTimesTheMapLightsEightTimesBrighter) {
    const Vector3 sun = sunAt45Degrees(1.0f, 0.0f);
    render(skyMap(0.05f, sun, 0.9f));
    // The character's shadow falls toward -x; the ground in front of it is lit.
    EXPECT_LT(shadowOverBeside(Vector3(-1.4f, 0, 0), Vector3(-0.4f, 0, 0), Vector3(0, 0, 1.2f)), 0.25);
    const double farSide = mean(matteSphere([&](const Vector3& n) { return dot(n, sun) < -0.3f; }));
    EXPECT_GT(farSide, 0.0);
    EXPECT_GT(mean(matteSphere([&](const Vector3& n) { return dot(n, sun) > 0.7f; })), 10.0 * farSide);

    const std::vector<float> once = lit;
    render(skyMap(0.4f, sun, 0.9f));
    std::vector<double> ratios;  // every object pixel eight times as bright
    for (int i = 0; i < width * height * 4; ++i) {
        if (positions[i | 3] == 1.0f && i % 4 < 3 && luminance(&once[i & ~3]) >= 1e-3)
            ratios.push_back(lit[i] / once[i]);
    }
    ASSERT_GT(ratios.size(), 1500u);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    EXPECT_TRUE(std::abs(*low - 8.0) < 0.08 && std::abs(*high - 8.0) < 0.08) << *low << " to " << *high;
}

TEST_F(LightStrengthTest, SunOfAMillionLeavesNoInfinityOrNanInTheTargets) {
    // Facing the sun in the sky; then from behind the spheres, so that the mirror sphere shows it.
    camera().place(0.0f, 1.5f, 8.0f, 0.0f, 1.77f, 7.0f, 0.0f, 1.0f, 0.0f);
    render(skyMap(0.05f, sunAt45Degrees(0.0f, -1.0f), 0.0f, 1.0e6f));
    for (int view = 0; view < 2; ++view) {
        if (view == 1)
            camera().place(1.75f, 1.2f, -7.0f, 1.75f, 1.1f, -6.0f, 0.0f, 1.0f, 0.0f), frame(0);
        for (int target : {kLitImageTarget, kSkyTarget, kBloomTarget}) {
            const std::vector<float> pixels = targetPixels(target, width, height);
            EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](float v) { return std::isfinite(v); }))
                << "target " << target << ", view " << view;
        }
    }
}

TEST_F(LightStrengthTest, LowSunDarkensTheGroundOnlyByItsShareOfTheGroundsLight) {
    // A sun 10 degrees high with half the sky's energy gives the ground a quarter of its light (sin 10 degrees
    // against the sky's mean cosine of one half): the ground in the matte sphere's long shadow keeps three quarters.
    const float elevation = 10.0f * 3.14159265f / 180.0f;
    render(skyMap(0.05f, Vector3(std::cos(elevation), std::sin(elevation), 0.0f), 0.5f));
    EXPECT_NEAR(shadowOverBeside(Vector3(-7.0f, 0, -3.0f), Vector3(-5.0f, 0, -3.0f), Vector3(0, 0, 1.5f)), 0.74, 0.07);
}
