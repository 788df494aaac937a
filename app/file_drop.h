// Dropped files: each file dropped on the window goes to the drop that takes its kind (an .hdr or .exr map, a .gltf
// or .glb model); the reporting both drops share.
#pragma once

#include <string>

#include "state/app_window.h"

// Takes a file dropped on the window by its extension; any other file is
// refused at once, on standard error and in the overlay.
void dropFile(const std::string& path);

// Runs after each shown frame: loads whatever was dropped since.
void loadDroppedFiles(AppWindow& window);

// The cause up to its first explanation, short enough for one overlay line.
std::string causeHeadline(const std::string& cause);

// The whole text on standard error, the overlay text for a few seconds.
void reportDropProblem(const std::string& text, const std::string& overlayText);
