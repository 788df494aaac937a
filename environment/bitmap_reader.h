// Bitmap reader: loads a Windows device-independent bitmap file as packed 8-bit RGB.
#pragma once

#include <memory>

#include "environment/rgb_image.h"

// The image with rows bottom first, or null after an "Error" message box
// saying why the file could not be read.
std::unique_ptr<RGBImage> loadDIBImage(const char* fileName);
