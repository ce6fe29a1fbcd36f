#include "front/scene_driver.h"

#include "front/gl_context.h"
#include "scene/fixed_gl_state.h"
#include "scene/scene.h"

void startScene(int width, int height)
{
    applyFixedGLState();
    sceneStart(width, height);
}

void drawSceneFrame(GLContext& context)
{
    sceneFrame();
    context.swapBuffers();
}

void releaseScene() { sceneRelease(); }
