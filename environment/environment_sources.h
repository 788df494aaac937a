// Environment sources: which file each environment reads, the built-in name or one the user chose for this run.
#pragma once

#include <memory>
#include <string>

#include "environment/environment_lights.h"

// The built-in map file of each environment, in environment order, read from the working directory.
extern const char* const kEnvironmentFiles[kEnvironmentCount];

// Makes environment e read path from now on, also after a window
// re-creation; an empty path restores the built-in file. Pixels kept for the
// environment are let go.
void setEnvironmentFile(int environment, const std::string& path);
// The file environment e reads.
const std::string& environmentFile(int environment);
// True when the user chose environment e's file (command line or drop).
bool environmentFileChosen(int environment);
// Whether environment e's file could not be used at the latest load: its environment then has black lights.
void setEnvironmentFileFailed(int environment, bool failed);
bool environmentFileFailed(int environment);
// The chosen file's name without its folder, for the overlay.
std::string environmentFileLabel(int environment);
// A path's last component: the file's name without its folder.
std::string fileBaseName(const std::string& path);
// True when the file's name ends in a dot and the extension, in any case ("Sky.EXR" has "exr").
bool hasFileExtension(const std::string& path, const char* extension);
// True for the kinds of map the loader reads: ".hdr" and ".exr".
bool hasEnvironmentMapExtension(const std::string& path);

// The stretched pixels of a chosen file, kept after its first load so that a
// window re-creation uses them instead of reading the file again (it may have
// gone since). Null when none are kept.
void keepEnvironmentPixels(int environment, std::shared_ptr<const float> pixels);
std::shared_ptr<const float> keptEnvironmentPixels(int environment);
