// SceneState: the values the user steers and every pass of the frame reads.
#pragma once

#include "math/vector3.h"
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
};

// The one scene state; it keeps its values across window re-creations.
SceneState& sceneState();
