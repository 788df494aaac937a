// Camera: mouse look with its tilt limit, key movement and the frame timer, driven through a fake platform.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/app_config.h"
#include "camera/camera.h"
#include "platform/virtual_keys.h"
#include "support/recording_platform.h"

namespace {

constexpr int kCentreX = AppConfig::kDefaultWidth / 2;
constexpr int kCentreY = AppConfig::kDefaultHeight / 2;

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppConfig::instance().reset();
        placeLevel();
        fake.cursorX = kCentreX;
        fake.cursorY = kCentreY;
    }

    // The start-up placement: 3 units up, 8 along +z, looking toward -z.
    void placeLevel() { cam.place(0, 3, 8, 0, 3, 7, 0, 1, 0); }

    void frameWithCursorAt(int x, int y) {
        fake.cursorX = x;
        fake.cursorY = y;
        cam.update();
    }

    // Frames every stepMs with the keys held, starting on a fresh clock reading.
    void holdKeysFor(std::set<int> keys, int frames, std::uint32_t stepMs) {
        fake.keysDown = std::move(keys);
        for (int i = 0; i < frames; ++i) {
            cam.update();
            fake.tickCount += stepMs;
        }
        fake.keysDown.clear();
    }

    Vector3 direction() const { return cam.view - cam.position; }
    float tilt() const {
        const Vector3 d = direction();
        return std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z));
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    Camera cam;
};

TEST_F(CameraTest, CursorAtTheCentreTurnsNothingAndIsNotMoved) {
    const Vector3 before = cam.view;
    for (int i = 0; i < 3; ++i) {
        cam.update();
    }
    EXPECT_EQ(fake.cursorMoves, 0);
    EXPECT_EQ(cam.view.x, before.x);
    EXPECT_EQ(cam.view.y, before.y);
    EXPECT_EQ(cam.view.z, before.z);
}

TEST_F(CameraTest, FiveHundredPixelsRightTurnsOneRadianRightAndRecentres) {
    frameWithCursorAt(kCentreX + 500, kCentreY);
    EXPECT_EQ(fake.cursorMoves, 1);
    EXPECT_EQ(fake.cursorX, kCentreX);
    EXPECT_EQ(fake.cursorY, kCentreY);
    // Looking along -z, a right turn swings the view toward +x.
    const Vector3 d = direction();
    EXPECT_NEAR(d.x, std::sin(1.0f), 1e-6f);
    EXPECT_NEAR(d.z, -std::cos(1.0f), 1e-6f);
    EXPECT_NEAR(d.y, 0.0f, 1e-6f);
    EXPECT_EQ(cam.getPitch(), 0.0f);
}

TEST_F(CameraTest, UpwardPushClampsExactlyAtTheLimitAndThenOnlyTurns) {
    frameWithCursorAt(kCentreX, kCentreY - 600);  // pitchDelta 1.2
    EXPECT_EQ(cam.getPitch(), Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), Camera::kPitchLimit, 1e-6f);

    const float heightBefore = direction().y;
    const Vector3 horizontalBefore = direction();
    frameWithCursorAt(kCentreX + 100, kCentreY - 50);
    EXPECT_EQ(cam.getPitch(), Camera::kPitchLimit);
    EXPECT_NEAR(direction().y, heightBefore, 1e-6f);
    const float turned = std::atan2(direction().x, -direction().z) - std::atan2(horizontalBefore.x, -horizontalBefore.z);
    EXPECT_NEAR(turned, 0.2f, 1e-5f);

    // Pulling down again leaves the limit by exactly the movement.
    frameWithCursorAt(kCentreX, kCentreY + 250);
    EXPECT_NEAR(tilt(), Camera::kPitchLimit - 0.5f, 1e-5f);
}

TEST_F(CameraTest, DownwardLimitMirrorsTheUpwardOne) {
    frameWithCursorAt(kCentreX, kCentreY + 400);
    frameWithCursorAt(kCentreX, kCentreY + 400);
    EXPECT_EQ(cam.getPitch(), -Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), -Camera::kPitchLimit, 1e-5f);
}

TEST_F(CameraTest, ReplacingKeepsTheAccumulatedPitch) {
    frameWithCursorAt(kCentreX, kCentreY - 250);  // 0.5 up
    placeLevel();
    EXPECT_EQ(tilt(), 0.0f);
    frameWithCursorAt(kCentreX, kCentreY - 600);
    // Only the rest of the range up to the limit is left for the new view.
    EXPECT_EQ(cam.getPitch(), Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), Camera::kPitchLimit - 0.5f, 1e-5f);
}

TEST_F(CameraTest, HoldingWForOneSecondMovesOneUnitAlongTheView) {
    frameWithCursorAt(kCentreX - 100, kCentreY - 150);  // look somewhere up and to the left
    fake.cursorX = kCentreX;
    fake.cursorY = kCentreY;
    const Vector3 start = cam.position;
    const Vector3 unitDirection = direction();
    // The first frame measures from this clock reading; the next 100 frames
    // each move by the 10 ms measured before them.
    cam.update();
    fake.tickCount += 10;
    holdKeysFor({vk::letter('W')}, 101, 10);
    const Vector3 moved = cam.position - start;
    EXPECT_NEAR(moved.x, unitDirection.x, 1e-4f);
    EXPECT_NEAR(moved.y, unitDirection.y, 1e-4f);
    EXPECT_NEAR(moved.z, unitDirection.z, 1e-4f);
    EXPECT_NEAR(length(cam.view - cam.position), 1.0f, 1e-5f);
}

TEST_F(CameraTest, FirstUpdateMeasuresNoIntervalThenTheClockDifference) {
    fake.tickCount = 123456;
    cam.update();
    EXPECT_EQ(cam.getFrameInterval(), 0.0f);
    fake.tickCount += 40;
    cam.update();
    EXPECT_NEAR(cam.getFrameInterval(), 0.04f, 1e-4f);
}

TEST_F(CameraTest, StrafingNeverChangesTheHeightEvenWhenLookingUp) {
    frameWithCursorAt(kCentreX, kCentreY - 200);
    fake.cursorY = kCentreY;
    const Vector3 start = cam.position;
    const float viewHeight = cam.view.y;
    cam.update();
    fake.tickCount += 500;
    holdKeysFor({vk::letter('D')}, 2, 500);
    EXPECT_EQ(cam.position.y, start.y);
    EXPECT_EQ(cam.view.y, viewHeight);
    EXPECT_NEAR(cam.position.x - start.x, 0.5f, 1e-5f);  // the viewer's right is +x

    holdKeysFor({vk::kLeft, vk::letter('A')}, 3, 500);
    EXPECT_EQ(cam.position.y, start.y);
    EXPECT_NEAR(cam.position.x - start.x, -1.0f, 1e-5f);  // both left keys count once per frame
}

TEST_F(CameraTest, ArrowAndLetterTogetherMoveOnceAndOppositeKeysCancel) {
    cam.update();
    fake.tickCount += 250;
    holdKeysFor({vk::kUp, vk::letter('W')}, 3, 250);  // two moves of 0.25
    EXPECT_NEAR(cam.position.z, 8.0f - 0.5f, 1e-5f);

    const Vector3 before = cam.position;
    holdKeysFor({vk::letter('W'), vk::letter('S'), vk::kRight, vk::kLeft}, 3, 250);
    EXPECT_NEAR(cam.position.x, before.x, 1e-6f);
    EXPECT_NEAR(cam.position.z, before.z, 1e-6f);
}

TEST_F(CameraTest, EyeToViewDistanceStaysOneOverALongRandomSession) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> offset(-300, 300);
    std::uniform_int_distribution<int> keyChoice(0, 7);
    const int keys[] = {vk::kUp, vk::kDown, vk::kLeft, vk::kRight,
                        vk::letter('W'), vk::letter('S'), vk::letter('A'), vk::letter('D')};
    for (int frame = 0; frame < 2000; ++frame) {
        fake.keysDown = {keys[keyChoice(random)], keys[keyChoice(random)]};
        fake.tickCount += 16;
        frameWithCursorAt(kCentreX + offset(random), kCentreY + offset(random));
        ASSERT_LE(std::fabs(cam.getPitch()), Camera::kPitchLimit);
    }
    EXPECT_NEAR(length(cam.view - cam.position), 1.0f, 1e-3f);
}

}  // namespace
