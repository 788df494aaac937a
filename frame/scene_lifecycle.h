// Scene initialisation and shutdown: everything a frame needs, created once per window.
#pragma once

#include "app/app_window.h"

// Creates the scene's resources for a freshly created window; true when the
// run can go on.
bool initialiseScene(AppWindow& window, KeyState& keys);
// Releases them before the window goes.
void shutdownScene();
