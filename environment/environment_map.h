// Environment maps: Radiance HDR or OpenEXR files read through FreeImage, brought to a fixed size and uploaded as float
// textures.
#pragma once

#include <GL/gl.h>

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "environment/hdr_header.h"
#include "environment/map_header.h"
#include "environment/map_values.h"
#include "platform/background_job.h"

// Reads fileName as an RGB float image at its own size. A file that starts
// with the OpenEXR magic number is read as OpenEXR, anything else as Radiance
// HDR (whatever its name suggests). Null when the file is missing or
// unreadable, when its header is malformed, unsupported or announces too large
// a picture (see hdr_header.h), or when its picture cannot be decoded; cause,
// when given, then says why in words for the user. NaN and negative values
// (OpenEXR maps may hold them) are read as 0 and infinite ones as 65504, and
// standard error says how many, naming the file. The caller unloads the
// result with FreeImage_Unload.
FIBITMAP* loadEnvironmentImage(const char* fileName, std::string* cause = nullptr);
// The same for a file held in memory (bytes .. bytes + size), replacing the
// same values without a word; maxPixels bounds the size its header may announce.
FIBITMAP* loadEnvironmentImageFromMemory(const unsigned char* bytes, size_t size,
                                         std::uint64_t maxPixels = kMaxHdrPixels, std::string* cause = nullptr);

// Decodes a file held in memory whose header probeMapHeader has accepted as
// format, replacing NaN, infinite and negative values as loadEnvironmentImage
// does; replaced, when given, counts them. A raised cancel flag stops a
// Radiance map at the decoder's next read (the result is then null); OpenEXR
// maps decode to the end. Safe to run on several threads at once for
// different files once FreeImage has been initialised on the main thread.
FIBITMAP* decodeEnvironmentImage(const unsigned char* bytes, size_t size, MapFormat format, const CancelFlag* cancelled,
                                 std::string* cause, ReplacedValues* replaced = nullptr);
// Says on standard error how many values of fileName were replaced, if any.
void reportReplacedValues(const std::string& fileName, const ReplacedValues& replaced);
// Stretches an RGB float image to width x height with the B-spline filter
// and unloads it; null (with the cause) when that fails.
FIBITMAP* rescaleEnvironmentImage(FIBITMAP* rgb, int width, int height, std::string* cause);

// Both of the above, then stretched to width x height with the B-spline
// filter, also when the map already has that size.
FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height, std::string* cause = nullptr);
FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels = kMaxHdrPixels, std::string* cause = nullptr);

// Copies an RGB float image into a packed buffer of width x height x 3
// floats, bottom row first as FreeImage holds it.
void copyEnvironmentPixels(FIBITMAP* image, float* pixelsOut);

// Creates textureOut, a width x height GL_RGB32F_ARB texture with nearest
// filtering, from packed RGB floats, bottom row first; null pixels with a
// 0 x 0 size give the texture of a map that could not be read. The texture is
// left bound to GL_TEXTURE_2D. Main thread.
void uploadEnvironmentPixels(const float* pixels, int width, int height, GLuint& textureOut);
