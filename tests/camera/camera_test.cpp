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
const int kW = vk::letter('W');

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        appConfig().reset();
        placeLevel();
        fake.cursorX = kCentreX;
        fake.cursorY = kCentreY;
    }
    void placeLevel() { cam.place(0, 3, 8, 0, 3, 7, 0, 1, 0); }  // 3 up, 8 along +z, looking toward -z
    void frameWithCursorAt(int x, int y) {
        fake.cursorX = x;
        fake.cursorY = y;
        cam.update();
    }
    // One frame every stepMs with the keys held; the frame after a clock
    // step moves by that step.
    void holdKeys(std::set<int> keys, int frames, std::uint32_t stepMs) {
        fake.keysDown = std::move(keys);
        for (int i = 0; i < frames; ++i, fake.tickCount += stepMs) {
            cam.update();
        }
    }
    Vector3 direction() const { return cam.view - cam.position; }
    float tilt() const {
        const Vector3 d = direction();
        return std::atan2(d.y, std::hypot(d.x, d.z));
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    Camera cam;
};

TEST_F(CameraTest, FiveHundredPixelsRightTurnsOneRadianRightAndRecentres) {
    cam.update();  // at the centre: no turn, no cursor move
    EXPECT_EQ(fake.cursorMoves, 0);
    EXPECT_EQ(direction().z, -1.0f);
    frameWithCursorAt(kCentreX + 500, kCentreY);
    EXPECT_EQ(fake.cursorMoves, 1);
    EXPECT_EQ(fake.cursorX, kCentreX);
    EXPECT_EQ(fake.cursorY, kCentreY);
    EXPECT_NEAR(direction().x, std::sin(1.0f), 1e-6f);  // toward +x: the viewer's right
    EXPECT_NEAR(direction().z, -std::cos(1.0f), 1e-6f);
    EXPECT_NEAR(direction().y, 0.0f, 1e-6f);
}

TEST_F(CameraTest, WithoutFocusTheCursorIsNeitherReadNorMovedAndFocusReturnsWithoutAJump) {
    fake.cursorOwned = false;
    frameWithCursorAt(kCentreX + 300, kCentreY + 40);  // the user works in another window
    frameWithCursorAt(kCentreX - 200, kCentreY);
    EXPECT_EQ(fake.cursorMoves, 0);
    EXPECT_EQ(direction().z, -1.0f);
    fake.cursorOwned = true;
    cam.update();  // the cursor is taken back to the centre, the view stays
    EXPECT_EQ(fake.cursorMoves, 1);
    EXPECT_EQ(fake.cursorX, kCentreX);
    EXPECT_EQ(direction().z, -1.0f);
    frameWithCursorAt(kCentreX + 500, kCentreY);
    EXPECT_NEAR(direction().x, std::sin(1.0f), 1e-6f);
}

TEST_F(CameraTest, UpwardPushClampsExactlyAtTheLimitAndThenOnlyTurns) {
    frameWithCursorAt(kCentreX, kCentreY - 600);  // 1.2 radians asked for
    EXPECT_EQ(cam.getPitch(), Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), Camera::kPitchLimit, 1e-6f);

    const Vector3 before = direction();
    frameWithCursorAt(kCentreX + 100, kCentreY - 50);
    EXPECT_NEAR(direction().y, before.y, 1e-6f);
    EXPECT_NEAR(std::atan2(direction().x, -direction().z) - std::atan2(before.x, -before.z), 0.2f, 1e-5f);

    frameWithCursorAt(kCentreX, kCentreY + 250);  // back down by exactly the movement
    EXPECT_NEAR(tilt(), Camera::kPitchLimit - 0.5f, 1e-5f);
    frameWithCursorAt(kCentreX, kCentreY + 800);
    EXPECT_EQ(cam.getPitch(), -Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), -Camera::kPitchLimit, 1e-5f);
}

TEST_F(CameraTest, ReplacingKeepsTheAccumulatedPitch) {
    frameWithCursorAt(kCentreX, kCentreY - 250);  // 0.5 up
    placeLevel();
    frameWithCursorAt(kCentreX, kCentreY - 600);
    // Only the rest of the range up to the limit is left for the new view.
    EXPECT_NEAR(tilt(), Camera::kPitchLimit - 0.5f, 1e-5f);
}

TEST_F(CameraTest, HoldingWForOneSecondMovesOneUnitAlongTheView) {
    frameWithCursorAt(kCentreX - 100, kCentreY - 150);  // look up and to the left
    fake.cursorX = kCentreX;
    fake.cursorY = kCentreY;
    const Vector3 start = cam.position;
    const Vector3 unitDirection = direction();
    fake.tickCount = 10;
    holdKeys({kW}, 101, 10);  // the first update measured no interval; then 100 moves of 10 ms
    const Vector3 moved = cam.position - start;
    EXPECT_NEAR(moved.x, unitDirection.x, 1e-4f);
    EXPECT_NEAR(moved.y, unitDirection.y, 1e-4f);
    EXPECT_NEAR(moved.z, unitDirection.z, 1e-4f);
}

TEST_F(CameraTest, StrafingKeepsTheHeightAndEachKeyPairCountsOnce) {
    frameWithCursorAt(kCentreX, kCentreY - 200);  // looking up
    fake.cursorY = kCentreY;
    const Vector3 start = cam.position;
    const float viewHeight = cam.view.y;
    fake.tickCount = 500;
    holdKeys({vk::letter('D')}, 2, 500);  // one move of 0.5
    EXPECT_NEAR(cam.position.x - start.x, 0.5f, 1e-5f);
    holdKeys({vk::kLeft, vk::letter('A')}, 3, 500);  // three moves of 0.5, not six
    EXPECT_NEAR(cam.position.x - start.x, -1.0f, 1e-5f);
    EXPECT_EQ(cam.position.y, start.y);
    EXPECT_EQ(cam.view.y, viewHeight);

    const Vector3 before = cam.position;
    holdKeys({kW, vk::kUp}, 2, 500);
    EXPECT_NEAR(length(cam.position - before), 1.0f, 1e-5f);
    const Vector3 held = cam.position;
    holdKeys({kW, vk::letter('S'), vk::kRight, vk::kLeft}, 3, 500);
    EXPECT_NEAR(length(cam.position - held), 0.0f, 1e-6f);
}

TEST_F(CameraTest, EyeToViewDistanceStaysOneOverALongRandomSession) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> offset(-300, 300);
    const int keys[] = {vk::kUp, vk::kDown, vk::kLeft, vk::kRight, kW, vk::letter('S'), vk::letter('A'),
                        vk::letter('D')};
    std::uniform_int_distribution<int> key(0, 7);
    for (int frame = 0; frame < 2000; ++frame) {
        fake.keysDown = {keys[key(random)], keys[key(random)]};
        fake.tickCount += 16;
        frameWithCursorAt(kCentreX + offset(random), kCentreY + offset(random));
        ASSERT_LE(std::fabs(cam.getPitch()), Camera::kPitchLimit);
    }
    EXPECT_NEAR(length(direction()), 1.0f, 1e-3f);
}

}  // namespace
