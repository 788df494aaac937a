// Input routing: what of the mouse and the keys reaches the scene while the settings panel is shown.
#pragma once

#include "camera/camera.h"
#include "platform/native_window.h"

// What the panel takes of the input in the current frame.
struct PanelFocus {
    bool shown = false;
    bool wantsMouse = false;     // the pointer is over the panel, or a press began on it
    bool wantsKeyboard = false;  // a field of the panel is being edited or dragged
    bool mouseButtonHeld = false;
};

// Hidden, the camera reads mouse and keys as it always does. Shown, the cursor
// is free: the view turns only while a button pressed outside the panel is
// held, and the movement keys rest while the panel takes the keyboard.
CameraInput cameraInputFor(const PanelFocus& focus);

// A key press reaches the key table unless the shown panel takes the
// keyboard; a release always does, so that no key stays held down.
bool keyReachesScene(MessageType type, const PanelFocus& focus);
