// Overlay text at fixed positions of the unit projection, and the once-per-frame GL error check.
#include "frame/overlay_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "environment/environment_lights.h"
#include "environment/environment_sources.h"
#include "frame/overlay_status.h"
#include "frame/shader_programs.h"
#include "gpu/logger.h"
#include "gpu/overlay_font.h"
#include "state/scene_state.h"

namespace {

constexpr float kLeft = 0.01f;
// Heights of the overlay's lines, top to bottom, in the unit projection.
constexpr float kLineHeights[] = {0.95f, 0.9f, 0.85f, 0.8f, 0.75f, 0.7f, 0.65f};
// The transient status line sits at the bottom, clear of the help.
constexpr float kStatusHeight = 0.03f;
constexpr float kExposureDisplayScale = 10.0f;
constexpr int kLineBytes = 256;

// Prints the text at (kLeft, height): first in black one pixel down and to
// the right, then in white, so that it stays legible over a bright sky.
void printShadowed(float height, const char* text) {
    // The raster colour is taken from the current colour when the position is set.
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glRasterPos2f(kLeft, height);
    glBitmap(0, 0, 0.0f, 0.0f, 1.0f, -1.0f, nullptr);
    printOverlayText("%s", text);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRasterPos2f(kLeft, height);
    printOverlayText("%s", text);
}

void printAt(int line, const char* text) { printShadowed(kLineHeights[line], text); }

}  // namespace

std::string environmentOverlayLine(int environment) {
    // A map that could not be read is not named as if it lit the scene.
    if (environmentFileFailed(environment)) {
        return "Environment(1/2/3): none (" + environmentFileLabel(environment) + " failed)";
    }
    if (environmentFileChosen(environment)) {
        return "Environment(1/2/3): " + environmentFileLabel(environment);
    }
    switch (environment) {
        case 0:
            return "Environment(1/2/3): Uffizi";
        case 1:
            return "Environment(1/2/3): Tessaly";
        default:
            return "Environment(1/2/3): Synth Studio";
    }
}

void renderOverlay() {
    const SceneState& state = sceneState();
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    char line[kLineBytes];
    if (state.showHelp) {
        std::snprintf(line, sizeof line, "FPS: %d", state.framesPerSecond);
        printAt(0, line);
        std::snprintf(line, sizeof line, "Exposure(Q/E): %.3f", state.exposure / kExposureDisplayScale);
        printAt(1, line);
        printAt(2, environmentOverlayLine(environmentLights().currentEnvironment).c_str());
        printAt(3, state.lightingProgram == kImageBasedLightingProgram ? "Rendering Mode(F1/F2): IBL"
                                                                       : "Rendering Mode(F1/F2): AO");
        printAt(4, state.supersampling == 1 ? "Supersampling(4/5): Off" : "Supersampling(4/5): On");
        printAt(5, "Move Sphere(IJKL)");
        printAt(6, "Show/Hide Help(H)");
    } else {
        printAt(0, "Show/Hide Help(H)");
    }
    const std::string status = overlayStatus();
    if (!status.empty()) {
        printShadowed(kStatusHeight, status.c_str());
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void finishFrame() {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        logger().write(reinterpret_cast<const char*>(gluErrorString(error)));
    }
    glFlush();
}
