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

    KeyState keys;
    AppWindow window;
};

}  // namespace

TEST_F(KeyboardControlsTest, EscapeStopsTheProgramAndTheRestOfTheUpdateStillRuns) {
    keys[vk::kEscape] = 1;
    keys[vk::letter('Q')] = 1;
    updateScene(100);
    EXPECT_EQ(programRunning, 0);
    EXPECT_FLOAT_EQ(sceneState().exposure, 1.2f);
}

TEST_F(KeyboardControlsTest, F2WinsOverF1WhenBothAreHeld) {
    keys[vk::kF1] = 1;
    keys[vk::function(2)] = 1;
    updateScene(16);
    EXPECT_EQ(sceneState().lightingProgram, kAmbientOcclusionProgram);
    keys[vk::function(2)] = 0;
    updateScene(16);
    EXPECT_EQ(sceneState().lightingProgram, kImageBasedLightingProgram);
}

TEST_F(KeyboardControlsTest, DigitsOneToThreeSelectTheEnvironmentAndOnlyOneAndTwoSetTheSkyRadius) {
    float radius[3] = {};
    for (int environment : {1, 0, 2}) {
        keys[vk::digit(environment + 1)] = 1;
        updateScene(16);
        keys[vk::digit(environment + 1)] = 0;
        EXPECT_EQ(environmentLights().currentEnvironment, environment);
        radius[environment] = sceneState().ndist;
    }
    EXPECT_NE(radius[0], radius[1]);
    EXPECT_EQ(radius[2], radius[0]) << "3 keeps the radius of the environment before";
}

TEST_F(KeyboardControlsTest, HoldingHTogglesHelpOnceAndAFreshPressTogglesItBack) {
    keys[vk::letter('H')] = 1;
    for (int frame = 0; frame < 50; ++frame) updateScene(16);
    EXPECT_FALSE(sceneState().showHelp);
    keys[vk::letter('H')] = 0;
    updateScene(16);
    EXPECT_FALSE(sceneState().helpKeyLatch);
    keys[vk::letter('H')] = 1;
    updateScene(16);
    EXPECT_TRUE(sceneState().showHelp);
}

TEST_F(KeyboardControlsTest, HeldKeysMoveTwoUnitsPerSecondAtAnyFrameRateWithoutClamping) {
    keys[vk::letter('Q')] = 1;
    for (int frame = 0; frame < 100; ++frame) updateScene(10);
    EXPECT_NEAR(sceneState().exposure, 3.0f, 1e-4f);
    keys[vk::letter('Q')] = 0;
    keys[vk::letter('E')] = 1;
    updateScene(3000);
    EXPECT_NEAR(sceneState().exposure, -3.0f, 1e-4f);  // nothing clamps it

    keys[vk::letter('E')] = 0;
    keys[vk::letter('J')] = 1;
    keys[vk::letter('I')] = 1;
    keys[vk::letter('O')] = 1;
    updateScene(500);
    EXPECT_NEAR(sceneState().spherePosition.x, 2.5f, 1e-5f);
    EXPECT_NEAR(sceneState().spherePosition.z, -4.0f, 1e-5f);
    EXPECT_NEAR(sceneState().spherePosition.y, -0.55f, 1e-5f);
}

TEST_F(KeyboardControlsTest, FrameRateIsTheCountOfUpdatesInTheFirstWindowPastOneSecond) {
    updateScene(1500);  // a slow start-up: the first sample is 1
    EXPECT_EQ(sceneState().framesPerSecond, 1);
    for (int frame = 0; frame < 100; ++frame) updateScene(10);  // exactly 1000 ms: not yet past
    EXPECT_EQ(sceneState().framesPerSecond, 1);
    updateScene(10);
    EXPECT_EQ(sceneState().framesPerSecond, 101);
    EXPECT_EQ(sceneState().frameCounter, 0);
    EXPECT_FLOAT_EQ(sceneState().frameTimeAccumulator, 0.0f);
}
