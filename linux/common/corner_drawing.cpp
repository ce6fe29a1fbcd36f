#include "linux/common/corner_drawing.h"

#include "components/gl_api.h"

#include <initializer_list>

CornerDrawing::CornerDrawing(int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    for (GLenum capability : {GL_DEPTH_TEST, GL_FOG, GL_TEXTURE_2D, GL_BLEND, GL_LIGHTING, GL_CULL_FACE,
                              GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_STENCIL_TEST})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

CornerDrawing::~CornerDrawing()
{
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
