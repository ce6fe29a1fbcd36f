#include "components/sprite_quad.h"

#include "components/camera.h"
#include "components/gl_api.h"

SpriteQuad::SpriteQuad() : halfHeight(halfWidth) {}

SpriteQuad::~SpriteQuad() {}

void SpriteQuad::draw(const Camera& camera, double spin)
{
    glPushMatrix();
    // Undo the camera's rotations in reverse order so the quad lies parallel
    // to the screen wherever the caller has translated it.
    glRotatef(camera.rotation.z, 0.0f, 0.0f, 1.0f);
    glRotatef(camera.rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(camera.rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(spin), 0.0f, 0.0f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(texLeft, texBottom);
    glVertex2f(-halfWidth, -halfHeight);
    glTexCoord2f(texRight, texBottom);
    glVertex2f(halfWidth, -halfHeight);
    glTexCoord2f(texRight, texTop);
    glVertex2f(halfWidth, halfHeight);
    glTexCoord2f(texLeft, texTop);
    glVertex2f(-halfWidth, halfHeight);
    glEnd();
    glPopMatrix();
}
