// The lit-image dump (--dump-lit): the last frame's scene image before bloom and tone mapping, and what a
// reference renderer needs to render the same frame.
#pragma once

#include <string>

// The files written beside each other for a dump to path ("NAME.exr"): the
// scene image, "NAME-unshadowed.exr", "NAME.json" and "NAME.obj".
struct LitDumpFiles {
    std::string image;
    std::string unshadowedImage;
    std::string description;
    std::string mesh;
};

// The names for a path; the ".exr" ending is taken off to form the others.
LitDumpFiles litDumpFiles(const std::string& path);

// Writes the four files after the last frame has been drawn (the rendering
// context current). The unshadowed image re-runs the lighting pass with the
// shadow maps cleared, which leaves the window's picture alone. On failure
// prints which file could not be written and returns false.
bool dumpLitImage(const std::string& path);
