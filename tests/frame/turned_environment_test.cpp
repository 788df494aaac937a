// The turned environment in a real frame: sky and mirror as the map with moved columns shows them, shadows turned
// about the sphere's foot, and the light markers on the turned lights.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "environment/light_extractor.h"
#include "frame/scene_resources.h"
#include "scene_fixture.h"
#include "state/scene_state.h"

namespace {

constexpr int kMapWidth = 1024;
constexpr int kMapHeight = 512;
constexpr float kPi = 3.14159265f;

// A map filled by colourAt(direction, column, row).
template <typename ColourAt>
std::vector<float> makeMap(ColourAt colourAt) {
    std::vector<float> pixels(static_cast<size_t>(kMapWidth) * kMapHeight * 3);
    for (int row = 0; row < kMapHeight; ++row) {
        for (int column = 0; column < kMapWidth; ++column) {
            const Vector3 colour = colourAt(lightDirection(column, row, kMapWidth, kMapHeight), column, row);
            float* pixel = &pixels[(static_cast<size_t>(row) * kMapWidth + column) * 3];
            pixel[0] = colour.x, pixel[1] = colour.y, pixel[2] = colour.z;
        }
    }
    return pixels;
}

// A dim sky with a sun: a disc of the angular radius (0: one pixel) holding about sunShare of the light.
std::vector<float> sunMap(const Vector3& sun, float radiusDegrees, float sunShare) {
    const float cosine = std::cos(radiusDegrees * kPi / 180.0f);
    bool sunPixelSet = false;
    return makeMap([&](const Vector3& direction, int, int) {
        const bool inDisc =
            radiusDegrees > 0.0f ? dot(direction, sun) > cosine : !sunPixelSet && dot(direction, sun) > 0.99999f;
        sunPixelSet |= inDisc;
        const float sky = 0.05f;
        const float disc =
            radiusDegrees > 0.0f ? 2.0f * kPi * (1.0f - cosine) : 2.0f * kPi * kPi / (kMapWidth * kMapHeight);
        const float value = inDisc ? sky * 2.0f * kPi * sunShare / (1.0f - sunShare) / disc : sky;
        return Vector3(value, value, value);
    });
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, const std::vector<int>& pixels) {
    double squares = 0.0;
    for (int pixel : pixels) {
        for (int channel = 0; channel < 3; ++channel) {
            const double difference = a[pixel * 3 + channel] - b[pixel * 3 + channel];
            squares += difference * difference;
        }
    }
    return squares == 0.0 ? 1e9 : 10.0 * std::log10(255.0 * 255.0 * 3.0 * pixels.size() / squares);
}

// The window position, in pixels from the lower left corner, where the eye sees the world direction.
bool projectDirection(const Vector3& direction, double& x, double& y) {
    GLdouble projection[16], modelView[16], z = 0;
    const GLint viewport[4] = {0, 0, SceneFixture::kWidth, SceneFixture::kHeight};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(65.0, static_cast<double>(SceneFixture::kWidth) / SceneFixture::kHeight, 0.01, 1000.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, projection);
    glLoadIdentity();
    camera().applyLookAt();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glPopMatrix();
    const Vector3 point = camera().position + direction * 10.0f;
    return gluProject(point.x, point.y, point.z, modelView, projection, viewport, &x, &y, &z) == GL_TRUE && z > 0.0 &&
           z < 1.0;
}

}  // namespace

class TurnedEnvironmentTest : public SceneFixture {
protected:
    // Makes the map environment 0, texture and lights, turned by the angle, and draws a frame without animating.
    static void show(const std::vector<float>& pixels, float degrees) {
        glBindTexture(GL_TEXTURE_2D, sceneResources().environmentTextures[0]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kMapWidth, kMapHeight, 0, GL_RGB, GL_FLOAT, pixels.data());
        EnvironmentLights& lights = environmentLights();
        extractLights(pixels.data(), kMapWidth, kMapHeight, lights.directions[0], lights.colours[0],
                      lights.solidAngles[0]);
        lights.updateGroundEnergy(0);
        lights.selectEnvironment(0);
        sceneState().environmentRotation[0] = degrees;
        frame(0);
    }
};

TEST_F(TurnedEnvironmentTest, AQuarterTurnShowsTheSkyAndMirrorOfTheMapWithItsColumnsMovedAQuarter) {
    // Smooth colours that repeat across the width, so the moved map has no seam.
    auto colours = [](int shift) {
        return makeMap([shift](const Vector3&, int column, int row) {
            const float s = 2.0f * kPi * static_cast<float>((column + kMapWidth - shift) % kMapWidth) / kMapWidth;
            const float t = kPi * static_cast<float>(row) / kMapHeight;
            return Vector3(0.6f + 0.5f * std::sin(s + 3.0f * t), 0.6f + 0.5f * std::sin(2.0f * s - t) * std::cos(t),
                           0.6f + 0.5f * std::cos(3.0f * s + 2.0f * t));
        });
    };
    sceneState().showHelp = false;
    show(colours(0), 90.0f);
    const std::vector<unsigned char> turned = windowPixels();
    show(colours(kMapWidth / 4), 0.0f);
    const std::vector<unsigned char> moved = windowPixels();
    int width = 0, height = 0;
    const std::vector<float> positions = targetPixels(kPositionTarget, width, height);
    show(colours(0), 0.0f);
    const std::vector<unsigned char> unturned = windowPixels();

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
    EXPECT_LT(psnr(unturned, moved, sky), 30.0) << "the map is not the same a quarter round";
}

TEST_F(TurnedEnvironmentTest, ASpheresShadowTurnsWithTheEnvironmentAboutItsFoot) {
    const Vector3 foot(-3.5f, 0.0f, -3.0f);                                         // the matte sphere's
    camera().place(foot.x, 6.0f, foot.z, foot.x, 0.0f, foot.z, 0.0f, 0.0f, -1.0f);  // straight down
    const float elevation = 35.0f * kPi / 180.0f;
    const std::vector<float> map = sunMap(Vector3(std::cos(elevation), std::sin(elevation), 0.0f), 3.0f, 0.9f);
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
    // A quarter turn carries the map's column at -x (toward the sun's side, +x here) a quarter round: (x, z) to (-z,
    // x).
    EXPECT_NEAR(turned.x, -unturned.z, 0.05f);
    EXPECT_NEAR(turned.z, unturned.x, 0.05f);
}

TEST_F(TurnedEnvironmentTest, LightMarkersSitOnTheTurnedLightsAndTheMostEnergeticIsTheLargest) {
    // One pixel holds a third of the light: its light outweighs every other, which the cut makes about equal.
    const float elevation = 40.0f * kPi / 180.0f;
    const Vector3 sun(std::cos(elevation), std::sin(elevation), 0.0f);
    const std::vector<float> map = sunMap(sun, 0.0f, 0.33f);
    const float degrees = 30.0f;
    const EnvironmentTurn turn = environmentTurn(degrees);
    const Vector3 seen = mapToWorld(turn, sun);
    camera().place(0.0f, 3.0f, 8.0f, seen.x, 3.0f + seen.y, 8.0f + seen.z, 0.0f, 1.0f, 0.0f);
    sceneState().showHelp = false;
    show(map, degrees);
    const std::vector<unsigned char> without = windowPixels();
    sceneState().showLightMarkers = true;
    frame(0);
    const std::vector<unsigned char> with = windowPixels();

    const EnvironmentLights& lights = environmentLights();
    std::vector<std::pair<double, double>> expected;
    std::vector<float> energies;
    for (int i = 0; i < lights.lightCount; ++i) {
        double x = 0, y = 0;
        const float energy = lightEnergy(lights.currentColours[i], lights.currentSolidAngles[i]);
        if (energy > 0.0f && projectDirection(mapToWorld(turn, lights.currentDirections[i]), x, y)) {
            expected.emplace_back(x, y), energies.push_back(energy);
        }
    }
    ASSERT_FALSE(expected.empty());
    std::vector<int> changed;
    for (int pixel = 0; pixel < kWidth * kHeight; ++pixel) {
        for (int channel = 0; channel < 3; ++channel) {
            if (with[pixel * 3 + channel] != without[pixel * 3 + channel]) {
                changed.push_back(pixel);
                break;
            }
        }
    }
    // Every changed pixel belongs to a marker; a marker's pixels lie within its reach of its light.
    const double reach = 10.0;
    auto distance = [](double x, double y, const std::pair<double, double>& to) {
        return std::hypot(x - to.first, y - to.second);
    };
    std::vector<double> sumX(expected.size()), sumY(expected.size());
    std::vector<int> count(expected.size());
    int stray = 0;
    std::pair<double, double> firstStray;
    for (int pixel : changed) {
        const double x = pixel % kWidth + 0.5, y = pixel / kWidth + 0.5;
        size_t nearest = 0;
        for (size_t i = 1; i < expected.size(); ++i) {
            if (distance(x, y, expected[i]) < distance(x, y, expected[nearest])) nearest = i;
        }
        if (distance(x, y, expected[nearest]) > reach && stray++ == 0) firstStray = {x, y};
        sumX[nearest] += x, sumY[nearest] += y, ++count[nearest];
    }
    EXPECT_EQ(stray, 0) << "of " << changed.size() << " marker pixels far from every light, the first at "
                        << firstStray.first << ", " << firstStray.second;
    // A marker wholly in the window, clear of the others and of the help line, is centred on its light.
    std::vector<size_t> isolated;
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto [x, y] = expected[i];
        bool clear = x > reach && y > reach && x < kWidth - reach && y < kHeight - 3 * reach;
        for (size_t j = 0; j < expected.size(); ++j) clear &= j == i || distance(x, y, expected[j]) > 2 * reach;
        if (!clear) continue;
        isolated.push_back(i);
        ASSERT_GT(count[i], 0) << "no marker at " << x << ", " << y;
        EXPECT_LE(distance(sumX[i] / count[i], sumY[i] / count[i], expected[i]), 2.0) << "light at " << x << ", " << y;
    }
    EXPECT_GE(isolated.size(), 5u);
    // The one light that outweighs the others has the largest marker by far.
    const size_t largest = std::max_element(energies.begin(), energies.end()) - energies.begin();
    ASSERT_NE(std::find(isolated.begin(), isolated.end(), largest), isolated.end()) << "the strongest light in view";
    for (size_t i : isolated) {
        if (i == largest) continue;
        EXPECT_LT(count[i] * 2, count[largest]) << "light at " << expected[i].first << ", " << expected[i].second;
    }
}
