// Light strength in the lit image: a white furnace, linear scale, a sun's shadows, and no overflow.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
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

// A map of uniform radiance sky over the whole sphere, plus a disc of 3
// degrees radius around the direction sun whose light above the horizon is
// sunShare of the map's (when sunShare > 0), or whose radiance is sunRadiance.
std::vector<float> skyMap(float sky, const Vector3& sun = Vector3(), float sunShare = 0.0f, float sunRadiance = 0.0f) {
    const float radius = 3.0f * 3.14159265f / 180.0f;
    const float discSolidAngle = 2.0f * 3.14159265f * (1.0f - std::cos(radius));
    if (sunShare > 0.0f) sunRadiance = sky + sky * 2.0f * 3.14159265f * sunShare / (1.0f - sunShare) / discSolidAngle;
    std::vector<float> pixels(static_cast<size_t>(kSize) * kSize * 3, sky);
    for (int row = 0; row < kSize && sunRadiance > 0.0f; ++row) {
        for (int column = 0; column < kSize; ++column) {
            if (dot(lightDirection(column, row, kSize, kSize), sun) > std::cos(radius)) {
                std::fill_n(&pixels[3 * (static_cast<size_t>(row) * kSize + column)], 3, sunRadiance);
            }
        }
    }
    return pixels;
}

Vector3 sunAt45Degrees(float x, float z) { return normalize(Vector3(x, std::sqrt(x * x + z * z), z)); }

class LightStrengthTest : public SceneFixture {
protected:
    // Makes the map environment 0 (texture and lights), selects it and draws a
    // frame without advancing the animation; then reads the lit image and the
    // G-buffer back.
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
    const float* at(const std::vector<float>& image, int x, int y) const { return &image[(y * width + x) * 4]; }
    // Lit values of the matte sphere's pixels whose normal n satisfies the test.
    template <typename Test>
    std::vector<double> matteSphere(Test test) const {
        std::vector<double> values;
        for (int i = 0; i < width * height; ++i) {
            const float* p = &positions[i * 4];
            const Vector3 n(normals[i * 4], normals[i * 4 + 1], normals[i * 4 + 2]);
            if (p[3] == 1.0f && length(Vector3(p[0], p[1], p[2]) - kMatteSphere) < 0.55f && test(n)) {
                values.push_back(luminance(&lit[i * 4]));
            }
        }
        return values;
    }
    // Lit value of the ground at a world point; -1 where no ground is seen.
    double ground(const Vector3& point) const {
        int x = 0, y = 0;
        if (!project(point, x, y) || at(positions, x, y)[3] != 0.0f) return -1.0;
        return luminance(at(lit, x, y));
    }

    // The darkest ground on the segment from a to b, over the mean of the ground
    // beside it (moved by offset), where each is in view.
    double shadowOverBeside(const Vector3& a, const Vector3& b, const Vector3& offset) const {
        double shadow = 1e30, beside = 0.0;
        int besideCount = 0;
        for (int step = 0; step <= 20; ++step) {
            const Vector3 point = a + (b - a) * (static_cast<float>(step) / 20.0f);
            const double inside = ground(point);
            if (inside >= 0.0) shadow = std::min(shadow, inside);
            const double next = ground(point + offset);
            if (next >= 0.0) beside += next, ++besideCount;
        }
        EXPECT_GT(besideCount, 0);
        EXPECT_LT(shadow, 1e30);
        return besideCount > 0 ? shadow / (beside / besideCount) : 1.0;
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
        EXPECT_NEAR(*std::min_element(top.begin(), top.end()) / radiance, 1.0, 0.05) << "sky radiance " << radiance;
        EXPECT_NEAR(*std::max_element(top.begin(), top.end()) / radiance, 1.0, 0.05) << "sky radiance " << radiance;
    }
}

TEST_F(LightStrengthTest, SunCastsDarkShadowsAndEightTimesTheMapLightsEightTimesBrighter) {
    const Vector3 sun = sunAt45Degrees(1.0f, 0.0f);
    render(skyMap(0.05f, sun, 0.9f));
    // The character's shadow falls toward -x; the ground in front of it is lit.
    EXPECT_LT(shadowOverBeside(Vector3(-1.4f, 0, 0), Vector3(-0.4f, 0, 0), Vector3(0, 0, 1.2f)), 0.25);
    auto mean = [](const std::vector<double>& values) {
        double sum = 0.0;
        for (double v : values) sum += v;
        return values.empty() ? 0.0 : sum / values.size();
    };
    const double sunSide = mean(matteSphere([&](const Vector3& n) { return dot(n, sun) > 0.7f; }));
    const double farSide = mean(matteSphere([&](const Vector3& n) { return dot(n, sun) < -0.3f; }));
    EXPECT_GT(farSide, 0.0);
    EXPECT_GT(sunSide, 10.0 * farSide);

    // Light is linear in the map: every object pixel eight times as bright.
    const std::vector<float> once = lit;
    render(skyMap(0.4f, sun, 0.9f));
    std::vector<double> ratios;
    for (int i = 0; i < width * height; ++i) {
        if (positions[i * 4 + 3] != 1.0f || luminance(&once[i * 4]) < 1e-3) continue;
        for (int c = 0; c < 3; ++c) ratios.push_back(lit[i * 4 + c] / once[i * 4 + c]);
    }
    ASSERT_GT(ratios.size(), 1500u);
    EXPECT_NEAR(*std::min_element(ratios.begin(), ratios.end()), 8.0, 0.08);
    EXPECT_NEAR(*std::max_element(ratios.begin(), ratios.end()), 8.0, 0.08);
}

TEST_F(LightStrengthTest, SunOfAMillionLeavesNoInfinityOrNanInTheTargets) {
    const std::vector<float> map = skyMap(0.05f, sunAt45Degrees(0.0f, -1.0f), 0.0f, 1.0e6f);
    // Facing the sun, which the sky shows; then from behind the spheres, with
    // the sun behind the camera, so that the mirror sphere shows it.
    camera().place(0.0f, 1.5f, 8.0f, 0.0f, 1.77f, 7.0f, 0.0f, 1.0f, 0.0f);
    render(map);
    for (int view = 0; view < 2; ++view) {
        if (view == 1) {
            camera().place(1.75f, 1.2f, -7.0f, 1.75f, 1.1f, -6.0f, 0.0f, 1.0f, 0.0f);
            frame(0);
        }
        for (int target : {kLitImageTarget, kSkyTarget, kBloomTarget}) {
            int w = 0, h = 0;
            const std::vector<float> pixels = targetPixels(target, w, h);
            EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](float v) { return std::isfinite(v); }))
                << "target " << target << ", view " << view;
        }
    }
}

TEST_F(LightStrengthTest, LowSunDarkensTheGroundOnlyByItsShareOfTheGroundsLight) {
    // A sun 10 degrees high with half of the sky's energy gives the ground only
    // a quarter of its light (sin 10 degrees against the sky's mean cosine of
    // one half): the ground in the matte sphere's long shadow keeps three quarters.
    const float elevation = 10.0f * 3.14159265f / 180.0f;
    render(skyMap(0.05f, Vector3(std::cos(elevation), std::sin(elevation), 0.0f), 0.5f));
    const double kept = shadowOverBeside(Vector3(-7.0f, 0, -3.0f), Vector3(-5.0f, 0, -3.0f), Vector3(0, 0, 1.5f));
    EXPECT_NEAR(kept, 0.74, 0.07);
}
