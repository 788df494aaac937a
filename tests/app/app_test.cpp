// The application's logic: config.cfg, the key table, screenshot names, and the keys and frame-rate sample.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>
#include <set>
#include <sstream>

#include "app/frame_clock.h"
#include "app/keyboard_controls.h"
#include "app/screenshot_key.h"
#include "app/window_procedure.h"
#include "character/skinned_model.h"
#include "environment/environment_lights.h"
#include "frame/scene_resources.h"
#include "panel/settings_panel.h"
#include "platform/virtual_keys.h"
#include "state/app_config.h"
#include "state/app_window.h"
#include "state/scene_state.h"
#include "support/recording_platform.h"

TEST(AppConfigTest, ReadsUpToThreeNumbersAndKeepsTheDefaultsOfWhatIsUnreadOrUnusable) {
    const std::pair<const char*, std::array<int, 3>> cases[] = {
        {"1024 768 2", {1024, 768, 2}}, {"\n640\r\n\t480\n\n1\n", {640, 480, 1}},
        {"1280", {1280, 600, 1}},       {"320 wide 2", {320, 600, 1}},  // the failed extraction stops the rest
        {"abc 480 2", {800, 600, 1}},   {"640 480 2 9999 garbage", {640, 480, 2}},
        {"0 -5 3", {800, 600, 1}},      {"640 480 -2", {640, 480, 1}},
    };
    AppConfig& config = appConfig();
    for (const auto& [text, expected] : cases) {
        config.reset();
        std::istringstream input(text);
        config.load(input);
        EXPECT_EQ((std::array<int, 3>{config.getWidth(), config.getHeight(), config.getSupersampling()}), expected)
            << text;
    }
    config.reset();
}

TEST(ScreenshotName, IsTheLocalTimeStampWithASuffixWhileTheNameExists) {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t moment = 1796608984;  // 2026-12-07 02:03:04 UTC
    std::set<std::string> taken;
    auto exists = [&](const std::string& name) { return taken.count(name) != 0; };
    EXPECT_EQ(screenshotFileName(moment, exists), "lumivor-20261207-020304.png");
    taken = {"lumivor-20261207-020304.png", "lumivor-20261207-020304-2.png"};
    EXPECT_EQ(screenshotFileName(moment, exists), "lumivor-20261207-020304-3.png");
}

TEST(WindowProcedureTest, KeysDownAndUpFillTheKeyTableButSystemKeysAndCodesOutsideItNever) {
    KeyState keys;
    AppWindow window;
    window.keys = &keys;
    for (const auto& [type, key] : {std::pair{MessageType::KeyDown, vk::letter('Q')},
                                    {MessageType::KeyDown, vk::kF1},
                                    {MessageType::KeyUp, vk::letter('Q')},
                                    {MessageType::SystemKey, vk::letter('A')},
                                    {MessageType::KeyDown, 256},
                                    {MessageType::KeyDown, -1}}) {
        WindowMessage message;
        message.type = type;
        message.key = key;
        windowProc(window, message);
    }
    for (int code = 0; code < kKeyStateSize; ++code) EXPECT_EQ(keys[code], code == vk::kF1 ? 1 : 0) << "code " << code;
}

TEST(WindowProcedureTest, TabShowsOrHidesTheSettingsPanelOncePerPress) {
    KeyState keys;
    AppWindow window;
    window.keys = &keys;
    auto send = [&](MessageType type) {
        WindowMessage message;
        message.type = type;
        message.key = vk::kTab;
        windowProc(window, message);
    };
    ASSERT_FALSE(settingsPanelShown());
    send(MessageType::KeyDown);
    EXPECT_TRUE(settingsPanelShown());
    send(MessageType::KeyDown);  // the key repeats while held
    EXPECT_TRUE(settingsPanelShown());
    send(MessageType::KeyUp);
    send(MessageType::KeyDown);
    EXPECT_FALSE(settingsPanelShown());
    send(MessageType::KeyUp);
}

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
    // Key messages as the window procedure receives them between two updates.
    void send(MessageType type, int key) {
        WindowMessage message;
        message.type = type;
        message.key = key;
        windowProc(window, message);
    }
    void tap(int key) {
        send(MessageType::KeyDown, key);
        send(MessageType::KeyUp, key);
    }

    KeyState keys;
    AppWindow window;
    const SceneState& state = sceneState();
};

}  // namespace

TEST_F(KeyboardControlsTest, EscapeStopsTheProgramAfterTheRestOfTheUpdateAndF2WinsOverF1) {
    hold({vk::kEscape, vk::letter('Q'), vk::kF1, vk::function(2)}, 1, 100);
    EXPECT_EQ(programRunning, 0);
    EXPECT_EQ(state.lightingProgram, kAmbientOcclusionProgram);
    EXPECT_FLOAT_EQ(state.exposure, 1.2f);
    hold({vk::kF1});
    EXPECT_EQ(state.lightingProgram, kImageBasedLightingProgram);
}

TEST_F(KeyboardControlsTest, AKeyPressedAndReleasedBetweenTwoUpdatesActsInExactlyOneUpdate) {
    tap(vk::letter('H'));
    tap(vk::letter('V'));
    tap(vk::function(2));
    tap(vk::letter('Q'));
    updateScene(100);
    EXPECT_FALSE(state.showHelp) << "the tap hid the help";
    EXPECT_TRUE(state.showLightMarkers) << "the tap showed the light markers";
    EXPECT_EQ(state.lightingProgram, kAmbientOcclusionProgram);
    EXPECT_NEAR(state.exposure, 1.2f, 1e-6f) << "one update's step";
    updateScene(100);
    EXPECT_FALSE(state.showHelp) << "toggled once, not twice";
    EXPECT_TRUE(state.showLightMarkers) << "toggled once, not twice";
    EXPECT_NEAR(state.exposure, 1.2f, 1e-6f) << "no step in the next update";
}

TEST_F(KeyboardControlsTest, HeldKeysActAsBeforeAndAPressBetweenUpdatesWhileAKeyIsHeldStillCounts) {
    send(MessageType::KeyDown, vk::letter('Q'));
    for (int update = 0; update < 4; ++update) {
        send(MessageType::KeyDown, vk::letter('H'));  // pressed, then repeated while held, as a keyboard does
        updateScene(100);
    }
    EXPECT_NEAR(state.exposure, 1.8f, 1e-6f) << "one step per update, none for the press itself";
    EXPECT_FALSE(state.showHelp) << "a held H toggles once, whatever its repeats";
    send(MessageType::KeyUp, vk::letter('H'));
    updateScene(100);
    send(MessageType::KeyDown, vk::letter('H'));  // held again over an update
    updateScene(100);
    updateScene(100);
    EXPECT_TRUE(state.showHelp) << "a second press toggles back, once";
    send(MessageType::KeyUp, vk::letter('H'));  // released and pressed again before the next update
    send(MessageType::KeyDown, vk::letter('H'));
    tap(vk::function(2));
    updateScene(100);
    EXPECT_FALSE(state.showHelp) << "a press between two updates toggles too";
    EXPECT_EQ(state.lightingProgram, kAmbientOcclusionProgram) << "tapped while Q is held";
    EXPECT_NEAR(state.exposure, 2.6f, 1e-6f) << "Q still held";
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

TEST_F(KeyboardControlsTest, XAndZTurnTheShownEnvironmentFortyFiveDegreesASecondAndEachKeepsItsAngle) {
    hold({vk::digit(2)});
    hold({vk::letter('X')}, 100, 10);
    EXPECT_NEAR(state.environmentRotation[1], 45.0f, 1e-3f);
    hold({vk::digit(1)});
    hold({vk::letter('Z')}, 1, 2000);  // below zero: wrapped
    EXPECT_NEAR(state.environmentRotation[0], 270.0f, 1e-3f);
    hold({vk::digit(2)});
    EXPECT_NEAR(state.environmentRotation[1], 45.0f, 1e-3f) << "found as it was left";
    EXPECT_EQ(state.environmentRotation[2], 0.0f);
}

TEST_F(KeyboardControlsTest, HeldKeysMoveTwoUnitsPerSecondAtAnyFrameRateWithoutClampingAndFrameRateIsSampled) {
    hold({vk::letter('Q')}, 100, 10);  // also the first frame-rate window: exactly 1000 ms is not yet past
    EXPECT_NEAR(state.exposure, 3.0f, 1e-4f);
    EXPECT_EQ(state.framesPerSecond, 0);
    hold({vk::letter('E')}, 1, 3000);
    EXPECT_NEAR(state.exposure, -3.0f, 1e-4f);  // nothing clamps it
    EXPECT_EQ(state.framesPerSecond, 101) << "the count of updates in the first window past one second";
    EXPECT_EQ(state.frameCounter, 0) << "a new window starts";
    EXPECT_EQ(state.frameTimeAccumulator, 0.0f) << "a new window starts";
    hold({vk::letter('J'), vk::letter('I'), vk::letter('O')}, 1, 500);
    const Vector3 moved = state.spherePosition - Vector3(2.5f, -0.55f, -4.0f);
    EXPECT_LT(length(moved), 1e-5f) << moved.x << " " << moved.y << " " << moved.z;
}

using FrameClockTest = KeyboardControlsTest;

TEST_F(FrameClockTest, UnderAFrameTimeEachFrameAdvancesTheAnimationByExactlyTheStepWhateverTheRealClockDoes) {
    RecordingPlatform real;
    real.tickCount = 5000;
    real.cursorOwned = false;  // no mouse look
    ScopedPlatformServices realInstalled(real);
    SkinnedModel& model = skinnedModel();
    model.currentClip = 0;
    model.currentFrame = 0;
    model.elapsedSinceStep = 0.0f;
    {
        FrameClock stepped(30);
        window.lastTickCount = platform().ticks();  // as a new window does
        stepped.updateFrame(window);
        EXPECT_EQ(model.elapsedSinceStep, 30.0f);
        EXPECT_EQ(model.currentFrame, 0) << "no step before 40 ms have gathered";
        real.tickCount += 977;  // never seen by the readers
        stepped.updateFrame(window);
        EXPECT_EQ(model.currentFrame, 2) << "60 ms: one step";
        EXPECT_EQ(window.lastTickCount, 60u);
    }
    FrameClock platformClock(0);  // the platform's clock again
    window.lastTickCount = 5960;
    platformClock.updateFrame(window);
    EXPECT_EQ(model.elapsedSinceStep, 17.0f);
}
