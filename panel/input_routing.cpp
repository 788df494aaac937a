// Input routing: the camera's input and the key table's share of the keys, by what the settings panel takes.
#include "panel/input_routing.h"

CameraInput cameraInputFor(const PanelFocus& focus) {
    CameraInput input;
    if (!focus.shown) {
        return input;
    }
    input.mouseLook = MouseLook::FreeCursor;
    input.turning = focus.mouseButtonHeld && !focus.wantsMouse;
    input.movementKeys = !focus.wantsKeyboard;
    return input;
}

bool keyReachesScene(MessageType type, const PanelFocus& focus) {
    if (type != MessageType::KeyDown) {
        return true;
    }
    return !(focus.shown && focus.wantsKeyboard);
}
