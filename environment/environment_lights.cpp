// EnvironmentLights: selection of the current environment's lights.
#include "environment/environment_lights.h"

#include <algorithm>

void EnvironmentLights::copyToCurrent(int environment) {
    std::copy(directions[environment], directions[environment] + lightCount, currentDirections);
    std::copy(colours[environment], colours[environment] + lightCount, currentColours);
    std::copy(solidAngles[environment], solidAngles[environment] + lightCount, currentSolidAngles);
    currentGroundEnergy = groundEnergies[environment];
}

void EnvironmentLights::updateGroundEnergy(int environment) {
    float sum = 0.0f;
    for (int light = 0; light < lightCount; ++light) {
        // The ground's normal is straight up, so a light's cosine is its height.
        const float cosine = directions[environment][light].y;
        if (cosine > 0.0f) {
            sum += lightEnergy(colours[environment][light], solidAngles[environment][light]) * cosine;
        }
    }
    groundEnergies[environment] = sum;
}

float lightEnergy(const Vector3& colour, float solidAngle) {
    // The luminance weights of the lighting programs.
    return (0.2125f * colour.x + 0.7154f * colour.y + 0.0721f * colour.z) * solidAngle;
}

void EnvironmentLights::selectEnvironment(int environment) {
    copyToCurrent(environment);
    currentEnvironment = environment;
}

EnvironmentLights& environmentLights() {
    static EnvironmentLights lights;
    return lights;
}
