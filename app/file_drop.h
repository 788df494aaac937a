// Dropped files: each file dropped on the window goes to the drop that takes its kind (an .hdr or .exr map, a .gltf
// or .glb model), which loads it on a worker thread; the reporting both drops share.
#pragma once

#include <cstdint>
#include <string>

// Takes a file dropped on the window by its extension; any other file is
// refused at once, on standard error and in the overlay.
void dropFile(const std::string& path);

// The cause up to its first explanation, short enough for one overlay line.
std::string causeHeadline(const std::string& cause);

// One line on standard error, after the program's name.
void sayOnStandardError(const std::string& text);

// The seconds since the tick count, to a tenth.
std::string secondsSince(std::uint32_t ticks);

// The whole text on standard error, the overlay text for a few seconds.
void reportDropProblem(const std::string& text, const std::string& overlayText);
