// The one quad shape every full-target pass draws.
#include "frame/full_target_quad.h"

#include <GL/gl.h>

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
