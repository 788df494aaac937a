// Scene initialisation and shutdown: everything a frame needs, created once per window.
#pragma once

#include "state/app_window.h"

// Creates the scene's resources for a freshly created window. What cannot be
// read is reported and replaced; only an unreadable noise map ends the program.
void initialiseScene(AppWindow& window, KeyState& keys);
// Releases them before the window goes.
void shutdownScene();
