// The shader programs' slot numbers: the scene state names its lighting program by slot.
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
// Beyond the ten: the map's ground light on the objects, one quad after the
// image-based lighting program's.
constexpr int kGroundLightProgram = 10;
constexpr int kProgramCount = 11;
