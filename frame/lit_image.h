// The lit image read back for comparison with a reference renderer: the lighting result with the sky filled in,
// at the window size, before bloom and tone mapping.
#pragma once

#include <vector>

// Linear radiance, three floats (R, G, B) per pixel, bottom row first.
struct LitImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;
};

// The scene image as the final composite reads it: the lit image plus the sky
// image wherever no ground already carries the environment, each factor x
// factor block averaged to one pixel. lit and sky hold RGBA floats of
// width x height pixels, bottom row first.
LitImage combineWithSky(const std::vector<float>& lit, const std::vector<float>& sky, int width, int height,
                        int factor);

// The last frame's scene image, read from the lit and sky targets (after drawFrame).
LitImage readLitImage();

// The same frame with every light unblocked: the shadow maps are cleared to
// the far depth and the lighting pass runs again. The maps stay cleared until
// the next frame renders them anew.
LitImage renderUnshadowedLitImage();
