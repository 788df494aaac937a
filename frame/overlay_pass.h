// Overlay pass: the frame rate, exposure and help lines over the finished image, then the frame's GL error check.
#pragma once

#include <string>

// The overlay's environment line: the built-in name, or the name (without
// folder) of the file the user chose for that environment; "none" with the
// file's name when its map could not be read.
std::string environmentOverlayLine(int environment);

void renderOverlay();

// Writes the frame's pending GL error, if any, to the log and flushes.
void finishFrame();
