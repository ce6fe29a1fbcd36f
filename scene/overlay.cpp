#include "scene/overlay.h"

#include "components/gl_api.h"
#include "components/screen_quad.h"
#include "scene/scene_state.h"

namespace {

constexpr int smokeSizePixels = 256;  // both sides

} // namespace

void setUpOverlay()
{
    // 256 x 256 is within every limit of the generator, so the status is not
    // examined.
    cascade::textureSet[0].generate(SMOKE, smokeSizePixels, smokeSizePixels, GL_RGBA, 1);
}

void drawOverlay()
{
    using namespace cascade;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    textureSet[0].bind();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawScreenQuad(0.0f, 0.0f, backdrop.width, backdrop.height);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}
