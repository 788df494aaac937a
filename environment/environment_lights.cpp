// EnvironmentLights: selection of the current environment's lights.
#include "environment/environment_lights.h"

#include <algorithm>

void EnvironmentLights::copyToCurrent(int environment) {
    std::copy(directions[environment], directions[environment] + lightCount, currentDirections);
    std::copy(colours[environment], colours[environment] + lightCount, currentColours);
    std::copy(solidAngles[environment], solidAngles[environment] + lightCount, currentSolidAngles);
}

void EnvironmentLights::selectEnvironment(int environment) {
    copyToCurrent(environment);
    currentEnvironment = environment;
}

EnvironmentLights& environmentLights() {
    static EnvironmentLights lights;
    return lights;
}
