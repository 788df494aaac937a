// Image decoder: a glTF image's PNG or JPEG bytes to 8-bit RGBA, top row first, through FreeImage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/model_data.h"
#include "model/model_source.h"

// The widest and tallest image a model may hold (what GL drivers commonly take).
constexpr unsigned kMaxImageSide = 16384;

// Decodes bytes into out. False, with the reason, when they are neither PNG
// nor JPEG, do not decode, or give a picture too large for kMaxImageSide or
// for the budget (checked from the header, before the pixels are decoded).
bool decodeModelImage(const std::uint8_t* bytes, std::size_t size, LoadBudget& budget, ModelImage& out,
                      std::string& reason);
