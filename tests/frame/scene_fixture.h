// SceneFixture: one real scene (all maps, shaders, targets) in a 320 x 240 window, shared by a test suite.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "math/vector3.h"
#include "state/app_window.h"
#include "support/recording_platform.h"

class SceneFixture : public ::testing::Test {
public:
    static constexpr int kWidth = 320, kHeight = 240;
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    // Runs the update step with the keys held, then draws one frame.
    static void frame(std::uint32_t milliseconds = 16);
    static void setSupersampling(int factor);
    // The window's back buffer after the last frame, RGB bytes, bottom row first.
    static std::vector<unsigned char> windowPixels();
    // A render target's texture, RGBA floats, bottom row first, with its size.
    static std::vector<float> targetPixels(int target, int& width, int& height);
    // The window pixel a world point lands on; false when it is off screen.
    static bool project(const Vector3& world, int& x, int& y);
    // The window position, in pixels from the lower left corner and unclipped; false behind the eye.
    static bool projectExactly(const Vector3& world, double& x, double& y);
    // The platform layer the scene runs on: its extension string and entry points can be replaced.
    static RecordingPlatform& fakePlatform();
    static KeyState keys;
    static AppWindow appWindow;
};

template <typename T>
double luminance(const T* rgb) {
    return 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
}
