// Environment turn: the rotation about the vertical between a map's frame and the world.
#include "environment/environment_turn.h"

#include <cmath>

namespace {

constexpr float kFullTurnDegrees = 360.0f;
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;

}  // namespace

EnvironmentTurn environmentTurn(float degrees) {
    const float radians = wrapDegrees(degrees) * kRadiansPerDegree;
    return {std::cos(radians), std::sin(radians)};
}

EnvironmentTurn currentEnvironmentTurn(const SceneState& state, const EnvironmentLights& lights) {
    return environmentTurn(state.environmentRotation[lights.currentEnvironment]);
}

Vector3 mapToWorld(const EnvironmentTurn& turn, const Vector3& mapDirection) {
    // A direction at longitude phi of the map, (-sin phi, ., cos phi) scaled,
    // shows at phi + angle: the columns move toward higher numbers.
    return Vector3(turn.cosine * mapDirection.x - turn.sine * mapDirection.z, mapDirection.y,
                   turn.sine * mapDirection.x + turn.cosine * mapDirection.z);
}

float wrapDegrees(float degrees) {
    const float wrapped = std::fmod(degrees, kFullTurnDegrees);
    // fmod keeps the sign; a tiny negative angle can round up to 360 itself.
    const float positive = wrapped < 0.0f ? wrapped + kFullTurnDegrees : wrapped;
    return positive < kFullTurnDegrees ? positive : 0.0f;
}
