// The program-wide SceneState, alive from start-up with its initial values.
#include "state/scene_state.h"

SceneState& sceneState() {
    static SceneState state;
    return state;
}
