// Shadow map pass: renders the casters' depth along each light's direction into its own depth target.
#include "frame/shadow_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "frame/scene_objects.h"
#include "frame/scene_resources.h"
#include "gpu/glsl_manager.h"
#include "gpu/projections.h"
#include "gpu/render_targets.h"
#include "state/scene_state.h"

namespace {

// The light's eye sits this far along its direction, looking at a point just
// off the origin so the view stays defined for a light straight above.
constexpr float kLightDistance = 5.0f;
constexpr double kLookAtX = 0.001;
constexpr double kLookAtY = 0.01;
constexpr double kLookAtZ = 0.001;

}  // namespace

void renderShadowMaps() {
    SceneResources& resources = sceneResources();
    const SceneState& state = sceneState();
    const EnvironmentLights& lights = environmentLights();
    RenderTargets& targets = *resources.renderTargets;

    glslManager().stopProgram();
    setShadowProjection(state.renderWidth, state.renderHeight);
    const int size = targets.getSize(resources.shadowTargetBase);
    glViewport(0, 0, size, size);

    // The lights turn with their environment; their extracted directions stay as they are.
    const EnvironmentTurn turn = currentEnvironmentTurn(state, lights);
    for (int i = 0; i < lights.lightCount; ++i) {
        targets.bindTarget(resources.shadowTargetBase + i);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        const Vector3 direction = mapToWorld(turn, lights.currentDirections[i]);
        resources.lightDirections[i] = direction;
        const float eyeX = direction.x * kLightDistance;
        const float eyeY = direction.y * kLightDistance;
        const float eyeZ = direction.z * kLightDistance;
        gluLookAt(eyeX, eyeY, eyeZ, kLookAtX, kLookAtY, kLookAtZ, 0.0, 1.0, 0.0);
        glGetFloatv(GL_MODELVIEW_MATRIX, resources.shadowModelView[i]);
        glGetFloatv(GL_PROJECTION_MATRIX, resources.shadowProjection[i]);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        drawShadowCasters();
        targets.unbindTarget();
    }
    // Leaves: the shadow box projection and the shadow-map viewport, the
    // window framebuffer bound, no program, back faces culled.
}
