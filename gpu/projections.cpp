// Projection set-ups on the fixed-function matrix stacks.
#include "gpu/projections.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void beginProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
}

void endProjection() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

void setPerspectiveProjection(int width, int height) {
    beginProjection(width, height);
    // A window can report a zero client height (some window managers do while
    // minimising); an infinite aspect would leave a degenerate projection.
    const int safeHeight = height > 0 ? height : 1;
    gluPerspective(kFieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(safeHeight), kNearPlane,
                   kFarPlane);
    endProjection();
}

void setUnitOrthoProjection(int width, int height) {
    beginProjection(width, height);
    glOrtho(0.0, 1.0, 0.0, 1.0, -0.1, 1.0);
    endProjection();
}

void setShadowProjection(int width, int height) {
    beginProjection(width, height);
    glOrtho(-5.5, 5.5, -5.5, 5.5, 0.001, 20.0);
    endProjection();
}
