// Screenshots: reads back the lower-left width x height of the window and writes it as a PNG file.
#pragma once

#include <string>

// Reads the back buffer (before the swap) or the front buffer (after it).
bool saveScreenshot(const std::string& path, int width, int height, bool frontBuffer);
