// Screenshot key: F12 saves the next shown frame as lumivor-YYYYMMDD-HHMMSS.png in the working directory.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "state/app_window.h"

// The file name for a screenshot taken at local time now: lumivor-YYYYMMDD-
// HHMMSS.png, or with "-2", "-3" ... before ".png" while exists says the name
// is taken.
std::string screenshotFileName(std::time_t now, const std::function<bool(const std::string&)>& exists);

// F12 was pressed: the next frame drawn is saved.
void requestScreenshot();

// Runs after a frame is drawn, before it is shown: saves it when requested,
// prints the path on standard output and shows "Saved NAME" in the overlay.
void saveRequestedScreenshot(const AppWindow& window);
