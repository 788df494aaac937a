// SceneState: the values the user steers and every pass of the frame reads.
#pragma once

#include "math/vector3.h"
#include "state/environment_count.h"
#include "state/program_slots.h"

struct SceneState {
    int renderWidth = 800;
    int renderHeight = 600;
    int supersampling = 1;
    float exposure = 1.0f;
    int lightingProgram = kImageBasedLightingProgram;  // or kAmbientOcclusionProgram
    Vector3 spherePosition{3.5f, 0.45f, -3.0f};
    float groundHalfSize = 8.0f;
    float ndist = 0.03f;
    bool showHelp = true;
    bool helpKeyLatch = false;
    int framesPerSecond = 0;
    int frameCounter = 0;
    float frameTimeAccumulator = 0.0f;
    // Each environment's turn about the vertical in degrees (any value; the keys
    // keep it from 0 to 360): what its map holds at column c shows at column
    // c + degrees / 360 of the width. Keys Z and X turn the current one;
    // --environment-rotation sets all three.
    float environmentRotation[kEnvironmentCount] = {};
    bool showLightMarkers = false;     // key V: a marker on each light, over the sky
    bool lightMarkerKeyLatch = false;  // V was seen down and not yet released
};

// The one scene state; it keeps its values across window re-creations.
SceneState& sceneState();
