// Camera: the first-person viewer camera turned by the mouse and moved by the arrow keys or W, A, S, D.
#pragma once

#include "math/vector3.h"

// How the mouse turns the view. Recentre: the cursor is taken back to the
// centre every frame and its offset turns the view. FreeCursor (while the
// settings panel is shown): the cursor stays where the user puts it, and the
// view turns by the cursor's movement only while `turning` is set (a button
// held down after a press outside the panel).
enum class MouseLook { Recentre, FreeCursor };

// What the camera may read in a frame; the default reads everything, as a
// first-person camera without a panel does.
struct CameraInput {
    MouseLook mouseLook = MouseLook::Recentre;
    bool turning = false;      // FreeCursor only
    bool movementKeys = true;  // false while the panel takes the keyboard
};

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

    // Reads the input of the frames to come.
    void setInput(const CameraInput& input) { input_ = input; }

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
    // Turns by a cursor movement of (right, down) pixels: 1/500 radian per
    // pixel, the tilt held within the limit.
    void turnByCursor(int right, int down);
    // FreeCursor: turns by the cursor's movement since the last frame of a drag.
    void applyDragLook();

    CameraInput input_;
    // Set while the cursor belongs to other windows (an unfocused window) or
    // roams free: back to recentring, it is taken to the centre without a turn.
    bool cursorReleased_ = false;
    // FreeCursor: a drag is under way, and where its cursor was last frame.
    bool dragging_ = false;
    int dragX_ = 0;
    int dragY_ = 0;
};

// The program's one camera.
Camera& camera();
