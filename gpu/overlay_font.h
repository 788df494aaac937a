// Overlay font: 96 bitmap glyph display lists for codes 32 to 127 and printf-style printing at the raster position.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

constexpr int kOverlayFirstCharacter = 32;
constexpr int kOverlayGlyphCount = 96;
// Formatted text is cut to this many bytes, terminating zero included.
constexpr int kOverlayTextBufferBytes = 256;

// Builds the glyph lists from a fixed-pitch face with the given height
// (negative: character height in pixels; the program passes -16) and sets the
// current colour to white. Without any face it says so on standard error and
// printing draws nothing.
void createOverlayFont(int height);
// The same from a chosen list of font families, tried in order.
void createOverlayFontFromFamilies(int height, const std::vector<std::string>& families);

void deleteOverlayFont();

// Prints the formatted text at the current raster position in the current
// raster colour; each glyph advances the raster position. Bytes outside 32 to
// 127 are skipped. The list base is left as it was.
void printOverlayText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The first glyph list (character 32), or 0 when no font exists.
GLuint overlayFontListBase();
