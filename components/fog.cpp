#include "components/fog.h"

#include "components/gl_api.h"

Fog::Fog() {}

Fog::~Fog() {}

void Fog::setColour(float r, float g, float b, float a) { colour = Colour4f{r, g, b, a}; }

void Fog::apply()
{
    const GLfloat fogColour[4] = {colour.r, colour.g, colour.b, colour.a};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
}
