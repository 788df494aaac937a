// The renderer's shader programs: their slots, source files and load order.
#pragma once

constexpr int kSkyProgram = 0;
constexpr int kImageBasedLightingProgram = 1;
constexpr int kPositionProgram = 2;
constexpr int kNormalProgram = 3;
constexpr int kCompositeProgram = 4;
constexpr int kMirrorProgram = 5;  // loaded, not used by the frame
constexpr int kAmbientOcclusionProgram = 6;
constexpr int kDownsampleCombineProgram = 7;
constexpr int kBlurProgram = 8;
constexpr int kDownsampleProgram = 9;  // loaded, not used by the frame
constexpr int kProgramCount = 10;

// Checks the extensions, allocates the slots and builds every program in its
// load order; each build writes one entry to the log.
void loadScenePrograms();
