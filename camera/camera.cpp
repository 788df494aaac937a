// Camera: mouse look by recentring the cursor, key movement at one world unit per second, and the look-at transform.
#include "camera/camera.h"

#include <GL/glu.h>

#include <cmath>

#include "platform/platform_services.h"
#include "platform/virtual_keys.h"
#include "state/app_config.h"

namespace {
constexpr float kSecondsPerTick = 0.001f;
}  // namespace

Camera& camera() {
    static Camera* const theCamera = new Camera();
    return *theCamera;
}

void Camera::place(float positionX, float positionY, float positionZ, float viewX, float viewY, float viewZ, float upX,
                   float upY, float upZ) {
    position = Vector3(positionX, positionY, positionZ);
    view = Vector3(viewX, viewY, viewZ);
    up = Vector3(upX, upY, upZ);
    screenWidth_ = appConfig().getWidth();
    screenHeight_ = appConfig().getHeight();
}

void Camera::update() {
    strafe = normalize(cross(view - position, up));
    applyMouseLook();
    applyMovementKeys();
    updateFrameTimer();
}

void Camera::applyMouseLook() {
    if (input_.mouseLook == MouseLook::FreeCursor) {
        applyDragLook();
        return;
    }
    // The centre of the configured size in screen coordinates, not the
    // window's own centre.
    const int centreX = screenWidth_ / 2;
    const int centreY = screenHeight_ / 2;
    // Without the input focus the cursor belongs to the other windows: no
    // turn, no warp. When the focus returns the cursor is taken back to the
    // centre without turning, so the view does not jump to where it was.
    if (!platform().ownsCursor()) {
        cursorReleased_ = true;
        return;
    }
    if (cursorReleased_) {
        cursorReleased_ = false;
        platform().setCursorPosition(centreX, centreY);
        return;
    }
    int cursorX = 0;
    int cursorY = 0;
    platform().cursorPosition(cursorX, cursorY);
    if (cursorX == centreX && cursorY == centreY) {
        return;
    }
    platform().setCursorPosition(centreX, centreY);
    turnByCursor(cursorX - centreX, cursorY - centreY);
}

void Camera::applyDragLook() {
    cursorReleased_ = true;
    if (!input_.turning) {
        dragging_ = false;
        return;
    }
    int cursorX = 0;
    int cursorY = 0;
    platform().cursorPosition(cursorX, cursorY);
    // The first frame of a drag only notes where it starts.
    if (dragging_) {
        turnByCursor(cursorX - dragX_, cursorY - dragY_);
    }
    dragging_ = true;
    dragX_ = cursorX;
    dragY_ = cursorY;
}

void Camera::turnByCursor(int right, int down) {
    // Moving the cursor right turns the view right (a negative yaw); moving it up tilts the view up.
    const float yaw = static_cast<float>(-right) / kPixelsPerRadian;
    const float pitchDelta = static_cast<float>(-down) / kPixelsPerRadian;
    previousPitch_ = pitch_;
    pitch_ += pitchDelta;

    const Vector3 axis = normalize(cross(view - position, up));
    if (pitch_ > kPitchLimit) {
        // A clamped frame lands exactly on the limit; one that starts there does not tilt.
        pitch_ = kPitchLimit;
        if (previousPitch_ != kPitchLimit) {
            rotateView(kPitchLimit - previousPitch_, axis.x, axis.y, axis.z);
        }
    } else if (pitch_ < -kPitchLimit) {
        pitch_ = -kPitchLimit;
        if (previousPitch_ != -kPitchLimit) {
            rotateView(-kPitchLimit - previousPitch_, axis.x, axis.y, axis.z);
        }
    } else {
        rotateView(pitchDelta, axis.x, axis.y, axis.z);
    }
    rotateView(yaw, 0.0f, 1.0f, 0.0f);
}

void Camera::rotateView(float angle, float x, float y, float z) {
    const float ca = std::cos(angle);
    const float sa = std::sin(angle);
    const float t = 1.0f - ca;
    const Vector3 d = view - position;

    Vector3 rotated;
    rotated.x = (ca + t * x * x) * d.x + (t * x * y - sa * z) * d.y + (t * x * z + sa * y) * d.z;
    rotated.y = (t * x * y + sa * z) * d.x + (ca + t * y * y) * d.y + (t * y * z - sa * x) * d.z;
    rotated.z = (t * x * z - sa * y) * d.x + (t * y * z + sa * x) * d.y + (ca + t * z * z) * d.z;
    view = position + rotated;
}

void Camera::applyMovementKeys() {
    if (!input_.movementKeys) {
        return;
    }
    PlatformServices& services = platform();
    const float distance = frameInterval_;
    // Each test stands alone: opposite keys held together cancel.
    if (services.isKeyDown(vk::kUp) || services.isKeyDown(vk::letter('W'))) {
        move(distance);
    }
    if (services.isKeyDown(vk::kDown) || services.isKeyDown(vk::letter('S'))) {
        move(-distance);
    }
    if (services.isKeyDown(vk::kLeft) || services.isKeyDown(vk::letter('A'))) {
        strafeBy(-distance);
    }
    if (services.isKeyDown(vk::kRight) || services.isKeyDown(vk::letter('D'))) {
        strafeBy(distance);
    }
}

void Camera::move(float distance) {
    const Vector3 direction = normalize(view - position);
    position += direction * distance;
    view += direction * distance;
}

void Camera::strafeBy(float distance) {
    position.x += strafe.x * distance;
    position.z += strafe.z * distance;
    view.x += strafe.x * distance;
    view.z += strafe.z * distance;
}

void Camera::updateFrameTimer() {
    const float now = static_cast<float>(platform().ticks()) * kSecondsPerTick;
    // The first reading has no predecessor: its interval is 0.
    frameInterval_ = clockRead_ ? now - lastClockSeconds_ : 0.0f;
    lastClockSeconds_ = now;
    clockRead_ = true;
}

void Camera::restartClock() {
    if (clockRead_) {
        lastClockSeconds_ = static_cast<float>(platform().ticks()) * kSecondsPerTick;
    }
}

void Camera::applyLookAt() const {
    gluLookAt(position.x, position.y, position.z, view.x, view.y, view.z, up.x, up.y, up.z);
}
