// updateScene's key handling: quit, lighting mode, help latch, continuous controls and the frame-rate sample.
#include <gtest/gtest.h>

#include "app/app_window.h"
#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "environment/environment_lights.h"
#include "frame/scene_resources.h"
#include "platform/virtual_keys.h"

namespace {

class KeyboardControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        sceneState() = SceneState();
        window.keys = &keys;
        sceneResources().window = &window;
        sceneResources().keys = &keys;
        programRunning = 1;
    }
    void TearDown() override {
        sceneResources().window = nullptr;
        sceneResources().keys = nullptr;
    }
    // Holds exactly the given keys over the given updates of the given milliseconds.
    void hold(std::initializer_list<int> held, int updates = 1, int milliseconds = 16) {
        keys = KeyState();
        for (int key : held) keys[key] = 1;
        for (int i = 0; i < updates; ++i) updateScene(milliseconds);
    }

    KeyState keys;
    AppWindow window;
    const SceneState& state = sceneState();
};

}  // namespace

TEST_F(KeyboardControlsTest, EscapeStopsTheProgramAfterTheRestOfTheUpdateAndF2WinsOverF1) {
    hold({vk::kEscape, vk::letter('Q'), vk::kF1, vk::function(2)}, 1, 100);
    EXPECT_EQ(programRunning, 0);
    EXPECT_FLOAT_EQ(state.exposure, 1.2f);
    EXPECT_EQ(state.lightingProgram, kAmbientOcclusionProgram);
    hold({vk::kF1});
    EXPECT_EQ(state.lightingProgram, kImageBasedLightingProgram);
}

TEST_F(KeyboardControlsTest, DigitsOneToThreeSelectTheEnvironmentAndOnlyOneAndTwoSetTheSkyRadius) {
    float radius[3] = {};
    for (int environment : {1, 0, 2}) {
        hold({vk::digit(environment + 1)});
        EXPECT_EQ(environmentLights().currentEnvironment, environment);
        radius[environment] = state.ndist;
    }
    EXPECT_NE(radius[0], radius[1]);
    EXPECT_EQ(radius[2], radius[0]) << "3 keeps the radius of the environment before";
}

TEST_F(KeyboardControlsTest, HoldingHTogglesHelpOnceAndAFreshPressTogglesItBack) {
    hold({vk::letter('H')}, 50);
    EXPECT_FALSE(state.showHelp);
    hold({});
    hold({vk::letter('H')});
    EXPECT_TRUE(state.showHelp);
}

TEST_F(KeyboardControlsTest, HeldKeysMoveTwoUnitsPerSecondAtAnyFrameRateWithoutClampingAndFrameRateIsSampled) {
    hold({vk::letter('Q')}, 100, 10);  // also the first frame-rate window: exactly 1000 ms is not yet past
    EXPECT_NEAR(state.exposure, 3.0f, 1e-4f);
    EXPECT_EQ(state.framesPerSecond, 0);
    hold({vk::letter('E')}, 1, 3000);
    EXPECT_NEAR(state.exposure, -3.0f, 1e-4f);  // nothing clamps it
    EXPECT_EQ(state.framesPerSecond, 101) << "the count of updates in the first window past one second";
    EXPECT_TRUE(state.frameCounter == 0 && state.frameTimeAccumulator == 0.0f) << "a new window starts";
    hold({vk::letter('J'), vk::letter('I'), vk::letter('O')}, 1, 500);
    EXPECT_NEAR(state.spherePosition.x, 2.5f, 1e-5f);
    EXPECT_NEAR(state.spherePosition.z, -4.0f, 1e-5f);
    EXPECT_NEAR(state.spherePosition.y, -0.55f, 1e-5f);
}
