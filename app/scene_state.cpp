// The program-wide SceneState, alive from start-up with its initial values.
#include "app/scene_state.h"

SceneState& sceneState() {
    static SceneState state;
    return state;
}
