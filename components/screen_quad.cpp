#include "components/screen_quad.h"

#include "components/gl_api.h"

void drawScreenQuad(float x, float y, float width, float height)
{
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex2f(x, y);
    glTexCoord2d(1.0, 0.0);
    glVertex2f(x + width, y);
    glTexCoord2d(1.0, 1.0);
    glVertex2f(x + width, y + height);
    glTexCoord2d(0.0, 1.0);
    glVertex2f(x, y + height);
    glEnd();
}
