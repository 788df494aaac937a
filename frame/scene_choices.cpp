// Scene choices: the environment's lights and sky radius, and the supersampling factor with its target rebuild.
#include "frame/scene_choices.h"

#include "environment/environment_lights.h"
#include "frame/scene_targets.h"
#include "state/scene_state.h"

namespace {

// The sky's defocus radius that environments 0 and 1 bring along.
constexpr float kFirstEnvironmentNdist = 0.03f;
constexpr float kSecondEnvironmentNdist = 0.051f;

}  // namespace

void chooseEnvironment(int environment) {
    SceneState& state = sceneState();
    if (environment == 0) {
        state.ndist = kFirstEnvironmentNdist;
    } else if (environment == 1) {
        state.ndist = kSecondEnvironmentNdist;
    }
    environmentLights().selectEnvironment(environment);
}

void chooseSupersampling(int factor) {
    sceneState().supersampling = factor;
    rebuildRenderTargets();
}
