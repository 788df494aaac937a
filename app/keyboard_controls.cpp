// updateScene: the per-frame update step between message handling and drawing.
#include "app/keyboard_controls.h"

#include "app/window_procedure.h"
#include "camera/camera.h"
#include "character/skinned_model.h"
#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "frame/scene_choices.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "platform/virtual_keys.h"
#include "state/scene_state.h"

namespace {

// Exposure and sphere movement per millisecond a key is held.
constexpr float kStepPerMillisecond = 0.002f;
// Z and X turn the current environment by 45 degrees a second.
constexpr float kTurnDegreesPerMillisecond = 0.045f;
// The frame rate is sampled once more than this many milliseconds have gathered.
constexpr float kFrameRateWindowMilliseconds = 1000.0f;

}  // namespace

void updateScene(std::uint32_t elapsedMilliseconds) {
    SceneResources& resources = sceneResources();
    if (resources.keys == nullptr || resources.window == nullptr) {
        return;  // no scene initialised
    }
    const KeyState& keys = *resources.keys;
    SceneState& state = sceneState();
    auto down = [&keys](int code) { return keys[code] == 1; };

    // Escape ends the run after this frame has been updated, drawn and shown.
    if (down(vk::kEscape)) {
        terminateApplication(*resources.window);
    }
    if (down(vk::function(1))) {
        state.lightingProgram = kImageBasedLightingProgram;
    }
    if (down(vk::function(2))) {
        state.lightingProgram = kAmbientOcclusionProgram;
    }

    // Keys 1, 2 and 3 select environments 0, 1 and 2 with their sky radius.
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        if (down(vk::digit(environment + 1))) {
            chooseEnvironment(environment);
        }
    }

    // No edge detection: a held key rebuilds the targets on every update.
    if (down(vk::digit(4))) {
        chooseSupersampling(1);
    }
    if (down(vk::digit(5))) {
        chooseSupersampling(2);
    }

    // One press of H toggles the help once, however long it is held.
    if (down(vk::letter('H')) && !state.helpKeyLatch) {
        state.helpKeyLatch = true;
        state.showHelp = !state.showHelp;
    } else if (keys[vk::letter('H')] == 0 && state.helpKeyLatch) {
        state.helpKeyLatch = false;
    }

    // One press of V shows or hides the light markers once.
    if (down(vk::letter('V')) && !state.lightMarkerKeyLatch) {
        state.lightMarkerKeyLatch = true;
        state.showLightMarkers = !state.showLightMarkers;
    } else if (keys[vk::letter('V')] == 0 && state.lightMarkerKeyLatch) {
        state.lightMarkerKeyLatch = false;
    }

    // Continuous controls; nothing is clamped.
    const float step = static_cast<float>(elapsedMilliseconds) * kStepPerMillisecond;
    if (down(vk::letter('Q'))) state.exposure += step;
    if (down(vk::letter('E'))) state.exposure -= step;
    if (down(vk::letter('I'))) state.spherePosition.z -= step;
    if (down(vk::letter('K'))) state.spherePosition.z += step;
    if (down(vk::letter('L'))) state.spherePosition.x += step;
    if (down(vk::letter('J'))) state.spherePosition.x -= step;
    if (down(vk::letter('U'))) state.spherePosition.y += step;
    if (down(vk::letter('O'))) state.spherePosition.y -= step;

    // X turns the sky toward higher map columns (to the right when looking
    // along -z), Z back; each environment keeps its own angle.
    const float turn = static_cast<float>(elapsedMilliseconds) * kTurnDegreesPerMillisecond;
    float& rotation = state.environmentRotation[environmentLights().currentEnvironment];
    if (down(vk::letter('X'))) rotation = wrapDegrees(rotation + turn);
    if (down(vk::letter('Z'))) rotation = wrapDegrees(rotation - turn);

    camera().update();
    skinnedModel().update(static_cast<float>(elapsedMilliseconds));

    // Frame rate: the count of updates in the first window past one second;
    // the excess time is dropped.
    state.frameTimeAccumulator += static_cast<float>(elapsedMilliseconds);
    state.frameCounter += 1;
    if (state.frameTimeAccumulator > kFrameRateWindowMilliseconds) {
        state.frameTimeAccumulator = 0.0f;
        state.framesPerSecond = state.frameCounter;
        state.frameCounter = 0;
    }
}
