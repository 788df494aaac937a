// Camera: the first-person viewer camera turned by the mouse and moved by the arrow keys or W, A, S, D.
#pragma once

#include "math/vector3.h"

class Camera {
public:
    // Tilt limit in radians: the single-precision value just under pi/3.
    static constexpr float kPitchLimit = 1.0471967f;
    // Cursor travel per radian of turn.
    static constexpr float kPixelsPerRadian = 500.0f;

    // Stores the eye point, the point looked at and the up vector, then copies
    // the configured window size as the screen size the cursor is centred in.
    void place(float positionX, float positionY, float positionZ, float viewX, float viewY, float viewZ, float upX,
               float upY, float upZ);

    // One frame: strafe vector, mouse look, movement keys, then the frame timer,
    // so movement uses the interval measured at the end of the previous update.
    void update();

    void applyMouseLook();
    // Turns `view` about `position` by the right-handed rotation of angle
    // radians about the unit axis (x, y, z).
    void rotateView(float angle, float x, float y, float z);
    void applyMovementKeys();
    // Moves eye and view point along the viewing direction, height included.
    void move(float distance);
    // Moves eye and view point sideways along `strafe`, in x and z only.
    void strafeBy(float distance);
    void updateFrameTimer();
    // Takes the clock's reading now as the latest update's, so that the next
    // update measures only the time since: called after the main thread has
    // spent time outside the frames (a map switch, start-up), which would
    // otherwise move the camera by that whole time in one frame. Before the
    // first update there is nothing to restart.
    void restartClock();

    // gluLookAt with the eye, the view point and the up vector on the current matrix.
    void applyLookAt() const;

    float getPitch() const { return pitch_; }

    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 view{0.0f, 1.0f, 0.5f};
    Vector3 up{0.0f, 0.0f, 1.0f};
    Vector3 strafe;

private:
    // The tilt accumulates over the whole run: placing the camera again does
    // not reset it, so the limits apply to all vertical movement since start.
    float pitch_ = 0.0f;
    float previousPitch_ = 0.0f;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    float frameInterval_ = 0.0f;
    float lastClockSeconds_ = 0.0f;
    bool clockRead_ = false;
    // Set while the cursor belongs to other windows (an unfocused window).
    bool cursorReleased_ = false;
};

// The program's one camera.
Camera& camera();
