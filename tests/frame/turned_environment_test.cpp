// The turned environment in a real frame: sky and mirror as the map with moved columns shows them, shadows turned
// about the sphere's foot, and the light markers on the turned lights.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "environment/environment_turn.h"
#include "environment/light_extractor.h"
#include "frame/scene_resources.h"
#include "scene_fixture.h"
#include "state/scene_state.h"

namespace {

constexpr int kMapWidth = 1024;
constexpr int kMapHeight = 512;
constexpr float kPi = 3.14159265f;
constexpr float kSky = 0.05f;

// Smooth colours that repeat across the width, so the map with its columns moved by shift has no seam.
std::vector<float> colourMap(int shift) {
    std::vector<float> pixels;
    for (int row = 0; row < kMapHeight; ++row) {
        for (int column = 0; column < kMapWidth; ++column) {
            const float s = 2.0f * kPi * static_cast<float>((column + kMapWidth - shift) % kMapWidth) / kMapWidth;
            const float t = kPi * static_cast<float>(row) / kMapHeight;
            pixels.insert(pixels.end(),
                          {0.6f + 0.5f * std::sin(s + 3.0f * t), 0.6f + 0.5f * std::sin(2.0f * s - t) * std::cos(t),
                           0.6f + 0.5f * std::cos(3.0f * s + 2.0f * t)});
        }
    }
    return pixels;
}

// A grey sky whose one pixel (a sun) sends about the share of the light from above the horizon.
std::vector<float> sunMap(int column, int row, float share) {
    std::vector<float> pixels(static_cast<size_t>(kMapWidth) * kMapHeight * 3, kSky);
    // The sky's energy, each row weighted by its cosine, is kSky W H / pi.
    const float weight = std::cos(kPi * (static_cast<float>(row) / kMapHeight - 0.5f));
    const float sun = kSky * share / (1.0f - share) * kMapWidth * kMapHeight / kPi / weight;
    std::fill_n(&pixels[(static_cast<size_t>(row) * kMapWidth + column) * 3], 3, sun);
    return pixels;
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, const std::vector<int>& pixels) {
    double squares = 0.0;
    for (int pixel : pixels) {
        for (int channel = 0; channel < 3; ++channel) {
            squares += std::pow(a[pixel * 3 + channel] - b[pixel * 3 + channel], 2.0);
        }
    }
    return squares == 0.0 ? 1e9 : 10.0 * std::log10(255.0 * 255.0 * 3.0 * pixels.size() / squares);
}

// A black map but for its ground within 45 degrees of the map's +z (column W / 2), of radiance 1.
std::vector<float> groundPatchMap() {
    std::vector<float> pixels(static_cast<size_t>(kMapWidth) * kMapHeight * 3, 0.0f);
    for (int row = 0; row < kMapHeight / 2; ++row) {
        std::fill(&pixels[(static_cast<size_t>(row) * kMapWidth + kMapWidth * 3 / 8) * 3],
                  &pixels[(static_cast<size_t>(row) * kMapWidth + kMapWidth * 5 / 8) * 3], 1.0f);
    }
    return pixels;
}

}  // namespace

class TurnedEnvironmentTest : public SceneFixture {
protected:
    // Makes the map environment 0, texture and lights, turned by the angle, and draws a frame without animating.
    static void show(const std::vector<float>& pixels, float degrees) {
        glBindTexture(GL_TEXTURE_2D, sceneResources().environmentTextures[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kMapWidth, kMapHeight, 0, GL_RGB, GL_FLOAT, pixels.data());
        storeLights(0, pixels.data(), kMapWidth, kMapHeight);
        environmentLights().selectEnvironment(0);
        sceneState().environmentRotation[0] = degrees;
        frame(0);
    }
};

TEST_F(TurnedEnvironmentTest, AQuarterTurnShowsTheSkyAndMirrorOfTheMapWithItsColumnsMovedAQuarter) {
    sceneState().showHelp = false;
    show(colourMap(0), 90.0f);
    const std::vector<unsigned char> turned = windowPixels();
    show(colourMap(kMapWidth / 4), 0.0f);
    const std::vector<unsigned char> moved = windowPixels();
    int width = 0, height = 0;
    const std::vector<float> positions = targetPixels(kPositionTarget, width, height);

    // The sky above the horizon (the objects stand below it), and the mirror sphere.
    std::vector<int> sky, mirror;
    for (int pixel = 0; pixel < kWidth * kHeight; ++pixel) {
        const float* p = &positions[pixel * 4];
        if (pixel / kWidth > kHeight * 11 / 20) sky.push_back(pixel);
        if (p[3] == 1.0f && length(Vector3(p[0], p[1], p[2]) - sceneState().spherePosition) < 0.55f) {
            mirror.push_back(pixel);
        }
    }
    ASSERT_GT(mirror.size(), 30u);
    EXPECT_GE(psnr(turned, moved, sky), 40.0);
    EXPECT_GE(psnr(turned, moved, mirror), 40.0);
}

TEST_F(TurnedEnvironmentTest, ASpheresShadowTurnsWithTheEnvironmentAboutItsFoot) {
    const Vector3 foot(-3.5f, 0.0f, -3.0f);                                           // the matte sphere's
    camera().place(foot.x, 6.0f, foot.z, foot.x, 0.0f, foot.z, 0.0f, 0.0f, -1.0f);    // straight down
    const std::vector<float> map = sunMap(kMapWidth / 4, kMapHeight * 7 / 10, 0.9f);  // toward +x, 36 degrees up
    // The middle of the ground near the foot that gets less than half its open share of light.
    auto shadowCentre = [&](float degrees, int& count) {
        show(map, degrees);
        int width = 0, height = 0;
        const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
        const std::vector<float> sky = targetPixels(kSkyTarget, width, height);
        const std::vector<float> positions = targetPixels(kPositionTarget, width, height);
        Vector3 sum;
        count = 0;
        for (int i = 0; i < width * height * 4; i += 4) {
            const Vector3 p(positions[i], positions[i + 1], positions[i + 2]);
            if (positions[i + 3] == 0.0f && length(p - foot) < 2.0f && luminance(&lit[i]) < 0.5 * luminance(&sky[i])) {
                sum += p, ++count;
            }
        }
        return count > 0 ? sum * (1.0f / count) - foot : Vector3();
    };
    int unturnedCount = 0, turnedCount = 0;
    const Vector3 unturned = shadowCentre(0.0f, unturnedCount);
    const Vector3 turned = shadowCentre(90.0f, turnedCount);
    EXPECT_GT(unturnedCount, 300);
    EXPECT_NEAR(turnedCount, unturnedCount, unturnedCount / 20);
    EXPECT_LT(unturned.x, -0.4f) << "away from the sun";
    // A quarter turn moves the map's columns a quarter round: (x, z) to (-z, x).
    EXPECT_NEAR(turned.x, -unturned.z, 0.05f);
    EXPECT_NEAR(turned.z, unturned.x, 0.05f);
}

// The ground's light comes from the map's ground, which turns with the map: the matte sphere's side facing the bright
// patch, wherever the turn puts it, is lit from below and the other side is not.
TEST_F(TurnedEnvironmentTest, TheGroundsLightOnTheMatteSphereTurnsWithTheEnvironment) {
    const Vector3 centre(-3.5f, 0.45f, -3.0f);
    camera().place(centre.x, centre.y, centre.z + 3.0f, centre.x, centre.y, centre.z, 0.0f, 1.0f, 0.0f);
    const float degrees = 90.0f;
    const Vector3 patch = mapToWorld(environmentTurn(degrees), Vector3(0.0f, 0.0f, 1.0f));
    show(groundPatchMap(), degrees);
    int width = 0, height = 0;
    const std::vector<float> lit = targetPixels(kLitImageTarget, width, height);
    const std::vector<float> positions = targetPixels(kPositionTarget, width, height);
    const std::vector<float> normals = targetPixels(kNormalTarget, width, height);
    double toward = 0.0, away = 0.0;  // summed over the lower half's pixels facing the patch and facing away
    int towardCount = 0, awayCount = 0;
    for (int i = 0; i < width * height * 4; i += 4) {
        const Vector3 p(positions[i], positions[i + 1], positions[i + 2]),
            n(normals[i], normals[i + 1], normals[i + 2]);
        if (positions[i + 3] != 1.0f || length(p - centre) > 0.55f || n.y > -0.1f) continue;
        if (dot(n, patch) > 0.6f) toward += luminance(&lit[i]), ++towardCount;
        if (dot(n, patch) < -0.6f) away += luminance(&lit[i]), ++awayCount;
    }
    ASSERT_GT(towardCount, 50);
    ASSERT_GT(awayCount, 50);
    EXPECT_GT(toward / towardCount, 4.0 * (away / awayCount));
}

TEST_F(TurnedEnvironmentTest, LightMarkersSitOnTheTurnedLightsAndTheMostEnergeticIsTheLargest) {
    // The sun pixel holds a third of the light: its light outweighs all others, which the cut makes about equal.
    const int sunColumn = kMapWidth / 4, sunRow = kMapHeight * 13 / 18;  // toward +x, 40 degrees up
    const EnvironmentTurn turn = environmentTurn(30.0f);
    const Vector3 sun = mapToWorld(turn, lightDirection(sunColumn, sunRow, kMapWidth, kMapHeight));
    camera().place(0.0f, 3.0f, 8.0f, sun.x, 3.0f + sun.y, 8.0f + sun.z, 0.0f, 1.0f, 0.0f);
    sceneState().showHelp = false;
    show(sunMap(sunColumn, sunRow, 0.33f), 30.0f);
    const std::vector<unsigned char> without = windowPixels();
    sceneState().showLightMarkers = true;
    frame(0);
    const std::vector<unsigned char> with = windowPixels();

    // Where the turned lights that give light are seen, in front of the eye.
    const EnvironmentLights& lights = environmentLights();
    std::vector<std::pair<double, double>> expected;
    std::vector<float> energies;
    for (int i = 0; i < lights.lightCount; ++i) {
        double x = 0, y = 0;
        const float energy = lights.currentEnergies[i];
        if (energy > 0.0f &&
            projectExactly(camera().position + mapToWorld(turn, lights.currentDirections[i]) * 10.0f, x, y)) {
            expected.emplace_back(x, y), energies.push_back(energy);
        }
    }
    ASSERT_FALSE(expected.empty());
    // Every changed pixel lies within a marker's reach of a light.
    const double reach = 10.0;
    auto distance = [](double x, double y, const std::pair<double, double>& to) {
        return std::hypot(x - to.first, y - to.second);
    };
    std::vector<std::pair<double, double>> changed;
    int stray = 0;
    for (int pixel = 0; pixel < kWidth * kHeight; ++pixel) {
        if (std::equal(&with[pixel * 3], &with[pixel * 3 + 3], &without[pixel * 3])) continue;
        changed.emplace_back(pixel % kWidth + 0.5, pixel / kWidth + 0.5);
        double nearest = reach + 1.0;
        for (const auto& light : expected) {
            nearest = std::min(nearest, distance(changed.back().first, changed.back().second, light));
        }
        stray += nearest > reach;
    }
    EXPECT_EQ(stray, 0) << "marker pixels far from every light";
    // The changed pixels near a light: their count and middle.
    auto around = [&](const std::pair<double, double>& light, double radius, double& x, double& y) {
        int count = 0;
        x = y = 0.0;
        for (const auto& [px, py] : changed) {
            if (distance(px, py, light) <= radius) x += px, y += py, ++count;
        }
        x /= std::max(count, 1), y /= std::max(count, 1);
        return count;
    };
    // A marker wholly in the window, clear of the others and of the help line, is centred on its light; the light
    // that outweighs the others has the largest marker by far.
    const size_t largest = std::max_element(energies.begin(), energies.end()) - energies.begin();
    double x = 0.0, y = 0.0;
    const double core = 0.75 * reach;  // within the largest marker, beyond the smallest
    const int largestCount = around(expected[largest], core, x, y);
    int isolated = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto [lightX, lightY] = expected[i];
        bool clear = lightX > reach && lightY > reach && lightX < kWidth - reach && lightY < kHeight - 3 * reach;
        for (const auto& other : expected) {
            clear &= &other == &expected[i] || distance(lightX, lightY, other) > 2 * reach;
        }
        if (!clear) continue;
        ++isolated;
        ASSERT_GT(around(expected[i], reach, x, y), 0) << "no marker at " << lightX << ", " << lightY;
        EXPECT_LE(distance(x, y, expected[i]), 2.0) << "light at " << lightX << ", " << lightY;
        if (i == largest) continue;
        EXPECT_LT(2 * around(expected[i], core, x, y), largestCount) << "light at " << lightX << ", " << lightY;
    }
    EXPECT_GE(isolated, 5);
}
