// EnvironmentLights: the 64 directional lights of each environment and the copy the renderer reads.
#pragma once

#include <cstdint>

#include "environment/ground_light.h"
#include "math/vector3.h"
#include "state/environment_count.h"

// Room per environment; the extraction fills the first kDefaultLightCount.
constexpr int kMaxLights = 128;
constexpr int kDefaultLightCount = 64;

struct EnvironmentLights {
    Vector3 directions[kEnvironmentCount][kMaxLights];
    Vector3 colours[kEnvironmentCount][kMaxLights];  // R, G, B
    // Steradians each light's region covers.
    float solidAngles[kEnvironmentCount][kMaxLights] = {};
    // Each light's irradiance on a surface facing it (R, G, B): its region's
    // radiance summed over the region's solid angle. This is what it lights with.
    Vector3 irradiances[kEnvironmentCount][kMaxLights];
    // The luminance of each light's irradiance: its weight in the ground's
    // shadow share and in the occlusion picture.
    float energies[kEnvironmentCount][kMaxLights] = {};
    Vector3 currentDirections[kMaxLights];
    Vector3 currentColours[kMaxLights];
    float currentSolidAngles[kMaxLights] = {};
    Vector3 currentIrradiances[kMaxLights];
    float currentEnergies[kMaxLights] = {};
    // The light of the map's part below the lights (its ground), which
    // lights the objects from below.
    GroundLight groundLights[kEnvironmentCount];
    GroundLight currentGroundLight;
    // The light that reaches open ground from all of an environment's lights
    // (energy times cosine to the ground's normal, summed); the ground's
    // shadow share is measured against it.
    float groundEnergies[kEnvironmentCount] = {};
    float currentGroundEnergy = 0.0f;
    std::int32_t currentEnvironment = 0;
    const std::int32_t lightCount = kDefaultLightCount;

    // Makes environment e the current one: copies its first lightCount lights.
    void selectEnvironment(int environment);
    // The same copy without changing currentEnvironment (start-up uses it).
    void copyToCurrent(int environment);
    // Sums environment e's ground energy; called once its lights are extracted.
    void updateGroundEnergy(int environment);
};

// The program-wide record; it lives as long as the program.
EnvironmentLights& environmentLights();
