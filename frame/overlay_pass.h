// Overlay pass: the frame rate, exposure and help lines over the finished image, then the frame's GL error check.
#pragma once

void renderOverlay();

// Writes the frame's pending GL error, if any, to the log and flushes.
void finishFrame();
