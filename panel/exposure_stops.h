// Exposure in stops: the settings panel's reading of the scene's exposure, as the final pass applies it.
#pragma once

// The final pass scales the light by 2^(exposure - 1): exposure 1 leaves it
// as it is, and each unit of exposure (half a second of Q or E) is one stop.
constexpr float kNeutralExposure = 1.0f;

constexpr float exposureToStops(float exposure) { return exposure - kNeutralExposure; }
constexpr float stopsToExposure(float stops) { return stops + kNeutralExposure; }
