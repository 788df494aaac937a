// Drawing of the scene's fixed-function objects, shared by the shadow, geometry and sky passes.
#include "frame/scene_objects.h"

#include <GL/gl.h>

#include <initializer_list>

#include "frame/figure.h"
#include "frame/scene_resources.h"
#include "state/scene_state.h"

const Vector3 kLeftSpherePosition{-3.5f, 0.45f, -3.0f};
const Vector3 kBackSpherePosition{0.0f, 0.45f, -3.0f};

namespace {

// A display list under a translation, between a push and a pop.
void callListAt(GLuint list, const Vector3& centre) {
    glPushMatrix();
    glTranslatef(centre.x, centre.y, centre.z);
    glCallList(list);
    glPopMatrix();
}

}  // namespace

void drawGroundQuad() {
    const float s = sceneState().groundHalfSize;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, 0.0f, s);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, 0.0f, -s);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, 0.0f, -s);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, 0.0f, s);
    glEnd();
}

void drawSphereAt(const Vector3& centre) { callListAt(sceneResources().sphereList, centre); }

void drawShadowCasters() {
    const GLuint list = sceneResources().shadowSphereList;
    drawFigure(FigurePass::Shadow);
    glPushMatrix();
    glScalef(kHiddenSphereScale, kHiddenSphereScale, kHiddenSphereScale);
    glCallList(list);
    glPopMatrix();
    for (const Vector3& centre : {sceneState().spherePosition, kLeftSpherePosition, kBackSpherePosition}) {
        callListAt(list, centre);
    }
    drawGroundQuad();
}
