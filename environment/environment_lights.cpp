// EnvironmentLights: selection of the current environment's lights.
#include "environment/environment_lights.h"

#include <algorithm>

void EnvironmentLights::copyToCurrent(int environment) {
    std::copy(directions[environment], directions[environment] + lightCount, currentDirections);
    std::copy(colours[environment], colours[environment] + lightCount, currentColours);
    std::copy(solidAngles[environment], solidAngles[environment] + lightCount, currentSolidAngles);
    std::copy(irradiances[environment], irradiances[environment] + lightCount, currentIrradiances);
    std::copy(energies[environment], energies[environment] + lightCount, currentEnergies);
    currentGroundLight = groundLights[environment];
    currentGroundEnergy = groundEnergies[environment];
}

void EnvironmentLights::updateGroundEnergy(int environment) {
    float sum = 0.0f;
    for (int light = 0; light < lightCount; ++light) {
        // The ground's normal is straight up, so a light's cosine is its height.
        const float cosine = directions[environment][light].y;
        if (cosine > 0.0f) {
            sum += energies[environment][light] * cosine;
        }
    }
    groundEnergies[environment] = sum;
}

void EnvironmentLights::selectEnvironment(int environment) {
    copyToCurrent(environment);
    currentEnvironment = environment;
}

EnvironmentLights& environmentLights() {
    static EnvironmentLights lights;
    return lights;
}
