// Overlay text at fixed positions of the unit projection, and the once-per-frame GL error check.
#include "frame/overlay_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/scene_state.h"
#include "environment/environment_lights.h"
#include "frame/shader_programs.h"
#include "gpu/logger.h"
#include "gpu/overlay_font.h"

namespace {

constexpr float kLeft = 0.01f;
// Heights of the overlay's lines, top to bottom, in the unit projection.
constexpr float kLineHeights[] = {0.95f, 0.9f, 0.85f, 0.8f, 0.75f, 0.7f, 0.65f};
constexpr float kExposureDisplayScale = 10.0f;

const char* environmentLine(int environment) {
    switch (environment) {
        case 0:
            return "Environment(1/2/3): Uffizi";
        case 1:
            return "Environment(1/2/3): Tessaly";
        default:
            return "Environment(1/2/3): Synth Studio";
    }
}

void moveTo(int line) { glRasterPos2f(kLeft, kLineHeights[line]); }

void printAt(int line, const char* text) {
    moveTo(line);
    printOverlayText("%s", text);
}

}  // namespace

void renderOverlay() {
    const SceneState& state = sceneState();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    if (state.showHelp) {
        moveTo(0);
        printOverlayText("FPS: %d", state.framesPerSecond);
        moveTo(1);
        printOverlayText("Exposure(Q/E): %.3f", state.exposure / kExposureDisplayScale);
        printAt(2, environmentLine(environmentLights().currentEnvironment));
        printAt(3, state.lightingProgram == kImageBasedLightingProgram ? "Rendering Mode(F1/F2): IBL"
                                                                       : "Rendering Mode(F1/F2): AO");
        printAt(4, state.supersampling == 1 ? "Supersampling(4/5): Off" : "Supersampling(4/5): On");
        printAt(5, "Move Sphere(IJKL)");
        printAt(6, "Show/Hide Help(H)");
    } else {
        printAt(0, "Show/Hide Help(H)");
    }
    glPopMatrix();
}

void finishFrame() {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        logger().write(reinterpret_cast<const char*>(gluErrorString(error)));
    }
    glFlush();
}
