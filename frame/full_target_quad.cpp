// The one quad shape every full-target pass draws, and the texture binding of their sources.
#include "frame/full_target_quad.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "frame/scene_resources.h"
#include "gpu/render_targets.h"

void drawFullTargetQuad(float width, float height, float z) {
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, height);
    glVertex3f(0.0f, 1.0f, z);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, z);
    glTexCoord2f(width, 0.0f);
    glVertex3f(1.0f, 0.0f, z);
    glTexCoord2f(width, height);
    glVertex3f(1.0f, 1.0f, z);
    glEnd();
}

void bindRectangle(int unit, int target) {
    selectTextureUnit(unit);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, sceneResources().renderTargets->getTexture(target));
}
