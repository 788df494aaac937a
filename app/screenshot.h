// Screenshots: reads back the part of the window the passes draw and writes it as a PNG file.
#pragma once

#include <string>

#include "state/app_window.h"

// Reads the back buffer (before the swap) or the front buffer (after it).
bool saveScreenshot(const AppWindow& window, const std::string& path, bool frontBuffer);
