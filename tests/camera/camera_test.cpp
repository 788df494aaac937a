// Camera: mouse look with its tilt limit, key movement and the frame timer, driven through a fake platform.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera.h"
#include "platform/virtual_keys.h"
#include "state/app_config.h"
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
    }
    void placeLevel() { cam.place(0, 3, 8, 0, 3, 7, 0, 1, 0); }  // 3 up, 8 along +z, looking toward -z
    // One frame with the cursor moved by (dx, dy) from the centre.
    void frameWithCursorAt(int dx, int dy) {
        fake.cursorX = kCentreX + dx;
        fake.cursorY = kCentreY + dy;
        cam.update();
    }
    // One frame every stepMs with the keys held, the cursor at the centre; a frame moves by the step before it.
    void holdKeys(std::set<int> keys, int frames, std::uint32_t stepMs) {
        fake.keysDown = std::move(keys);
        for (int i = 0; i < frames; ++i, fake.tickCount += stepMs) frameWithCursorAt(0, 0);
    }
    Vector3 direction() const { return cam.view - cam.position; }
    float tilt() const { return std::atan2(direction().y, std::hypot(direction().x, direction().z)); }
    float turn() const { return std::atan2(direction().x, -direction().z); }  // toward +x: the viewer's right

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    Camera cam;
};

TEST_F(CameraTest, FiveHundredPixelsTurnOneRadianAndRecentreOnlyWithFocusAndFocusReturnsWithoutAJump) {
    frameWithCursorAt(0, 0);
    EXPECT_EQ(fake.cursorMoves, 0) << "at the centre: no turn, no cursor move";
    fake.cursorOwned = false;  // the user works in another window
    frameWithCursorAt(300, 40);
    EXPECT_EQ(fake.cursorMoves, 0) << "no cursor move without focus";
    EXPECT_EQ(direction().z, -1.0f) << "no turn without focus";
    fake.cursorOwned = true;
    cam.update();  // the cursor is taken back to the centre, the view stays
    EXPECT_EQ(fake.cursorMoves, 1) << "recentred";
    EXPECT_EQ(direction().z, -1.0f) << "without a turn";
    frameWithCursorAt(500, 0);
    EXPECT_EQ(fake.cursorMoves, 2);
    EXPECT_EQ(fake.cursorX, kCentreX);
    EXPECT_EQ(fake.cursorY, kCentreY);
    EXPECT_NEAR(turn(), 1.0f, 1e-6f);
    EXPECT_NEAR(direction().y, 0.0f, 1e-6f);
}

TEST_F(CameraTest, TiltClampsExactlyAtTheLimitThenOnlyTurnsAndPlacingKeepsIt) {
    frameWithCursorAt(0, -600);  // 1.2 radians asked for
    EXPECT_EQ(cam.getPitch(), Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), Camera::kPitchLimit, 1e-6f);
    const float before = turn(), height = direction().y;
    frameWithCursorAt(100, -50);
    EXPECT_NEAR(direction().y, height, 1e-6f);
    EXPECT_NEAR(turn() - before, 0.2f, 1e-5f);
    frameWithCursorAt(0, 250);  // back down by exactly the movement
    EXPECT_NEAR(tilt(), Camera::kPitchLimit - 0.5f, 1e-5f);
    frameWithCursorAt(0, 800);
    EXPECT_EQ(cam.getPitch(), -Camera::kPitchLimit);
    EXPECT_NEAR(tilt(), -Camera::kPitchLimit, 1e-5f);
    placeLevel();  // placing the camera keeps the accumulated pitch: from the lower limit, 1.2 up is allowed in full
    frameWithCursorAt(0, -600);
    EXPECT_NEAR(tilt(), 1.2f, 1e-5f);
}

TEST_F(CameraTest, KeysMoveOneUnitPerSecondAlongTheViewOrLevelSidewaysAndEachKeyPairCountsOnce) {
    frameWithCursorAt(-100, -150);  // look up and to the left
    const Vector3 start = cam.position, unitDirection = direction();
    fake.tickCount = 10;
    holdKeys({kW}, 101, 10);  // the first update measured no interval; then 100 moves of 10 ms
    EXPECT_NEAR(length(cam.position - start - unitDirection), 0.0f, 1e-4f);
    const Vector3 side = cam.position;
    const float viewHeight = cam.view.y;
    holdKeys({}, 2, 500);                 // the frame timer settles at 500 ms: a frame moves by the interval before it
    holdKeys({vk::letter('D')}, 1, 500);  // one move of 0.5
    holdKeys({vk::kLeft, vk::letter('A')}, 3, 500);  // three moves of 0.5, not six
    const Vector3 right = cross(unitDirection, Vector3(0, 1, 0));
    EXPECT_NEAR(length(cam.position - side + (1.0f / length(right)) * right), 0.0f, 1e-5f);
    EXPECT_EQ(cam.position.y, side.y) << "sideways keeps the height";
    EXPECT_EQ(cam.view.y, viewHeight) << "sideways keeps the height";
    const Vector3 before = cam.position;
    holdKeys({kW, vk::kUp}, 2, 500);
    EXPECT_NEAR(length(cam.position - before), 1.0f, 1e-5f);
    const Vector3 held = cam.position;
    holdKeys({kW, vk::letter('S'), vk::kRight, vk::kLeft}, 3, 500);
    EXPECT_NEAR(length(cam.position - held), 0.0f, 1e-6f);
}

TEST_F(CameraTest, AFreeCursorTurnsTheViewOnlyWhileDraggedAndRecentringResumesWithoutAJump) {
    CameraInput input;
    input.mouseLook = MouseLook::FreeCursor;
    cam.setInput(input);
    frameWithCursorAt(300, 40);
    EXPECT_EQ(fake.cursorMoves, 0) << "the cursor stays where the user put it";
    EXPECT_EQ(direction().z, -1.0f) << "moving without a drag turns nothing";
    input.turning = true;
    cam.setInput(input);
    frameWithCursorAt(300, 40);  // the drag starts here
    EXPECT_EQ(direction().z, -1.0f) << "the first frame of a drag only notes the cursor";
    frameWithCursorAt(800, 40);
    EXPECT_NEAR(turn(), 1.0f, 1e-6f) << "500 pixels of drag to the right: one radian to the right";
    EXPECT_EQ(fake.cursorMoves, 0);
    input.turning = false;
    cam.setInput(input);
    frameWithCursorAt(-200, 40);
    input.turning = true;
    cam.setInput(input);
    frameWithCursorAt(-200, 40);  // a new drag starts where the cursor is, not where the last one ended
    EXPECT_NEAR(turn(), 1.0f, 1e-6f);
    cam.setInput(CameraInput());
    frameWithCursorAt(-200, 40);
    EXPECT_EQ(fake.cursorMoves, 1) << "back to recentring, the cursor is taken to the centre";
    EXPECT_NEAR(turn(), 1.0f, 1e-6f) << "without turning";
}

TEST_F(CameraTest, MovementKeysRestWhileTheInputSaysSo) {
    CameraInput input;
    input.movementKeys = false;
    cam.setInput(input);
    const Vector3 start = cam.position;
    holdKeys({kW, vk::letter('D')}, 3, 500);
    EXPECT_EQ(length(cam.position - start), 0.0f);
}

TEST_F(CameraTest, AfterAClockRestartATenSecondGapStillMovesTheCameraOneFramesStepPerFrame) {
    fake.tickCount = 1000;
    holdKeys({kW}, 3, 16);  // the interval settles at 16 ms
    const Vector3 before = cam.position;
    fake.tickCount += 10000;  // a map switch or a window re-creation held the main thread
    cam.restartClock();
    fake.tickCount += 16;
    holdKeys({kW}, 2, 16);  // without the restart the second frame would move by 10 units
    EXPECT_NEAR(length(cam.position - before), 2 * 0.016f, 1e-4f);
}

}  // namespace
