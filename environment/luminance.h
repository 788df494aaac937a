// Luminance: the one set of weights that turns linear RGB radiance into brightness, for the cut, energies and shaders.
#pragma once

// Rec. 709 primaries, as the light extraction cuts by them.
constexpr float kLuminanceWeights[3] = {0.2125f, 0.7154f, 0.0721f};

inline float luminance(float red, float green, float blue) {
    return kLuminanceWeights[0] * red + kLuminanceWeights[1] * green + kLuminanceWeights[2] * blue;
}
