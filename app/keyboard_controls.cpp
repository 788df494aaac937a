// updateScene: the per-frame update step between message handling and drawing.
#include "app/keyboard_controls.h"

#include "app/window_procedure.h"
#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "frame/figure.h"
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
    KeyState& keys = *resources.keys;
    SceneState& state = sceneState();
    // A key pressed and released since the last update counts as down for this one update.
    auto down = [&keys](int code) { return keys.counts(code); };
    // One press toggles once, however long the key is held. A press since the
    // last update is a fresh one even while the latch is still set: the key
    // was released in between.
    auto toggleOnPress = [&keys](int code, bool& latch, bool& shown) {
        if (keys.pressedSinceUpdate[code] == 1 || (keys[code] == 1 && !latch)) {
            latch = true;
            shown = !shown;
        } else if (keys[code] == 0 && latch) {
            latch = false;
        }
    };

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

    toggleOnPress(vk::letter('H'), state.helpKeyLatch, state.showHelp);
    toggleOnPress(vk::letter('V'), state.lightMarkerKeyLatch, state.showLightMarkers);

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
    keys.forgetPresses();  // each tap counts for one update only

    camera().update();
    updateFigure(elapsedMilliseconds);

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
