// Dropped maps: an .hdr or .exr file dropped on the window replaces the current environment once a frame has said so.
#pragma once

#include <string>

#include "state/app_window.h"

// Takes an .hdr or .exr file dropped on the window: it waits for the next
// frame, which shows "Loading NAME".
void dropEnvironmentFile(const std::string& path);

// Runs after each shown frame: loads a waiting file into the current
// environment (map and lights). A file that fails leaves the environment as
// it was and says why on standard error and for a few seconds in the overlay.
// The frame clock restarts after a load, so the time spent loading does not
// jump the camera and the animation.
void loadDroppedEnvironment(AppWindow& window);
