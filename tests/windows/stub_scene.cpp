#include "stub_scene.h"

#include "scene/scene.h"

#include <windows.h>

namespace stubscene {

int starts = 0;
int startWidth = 0;
int startHeight = 0;
bool contextAtStart = false;
int frames = 0;
int releases = 0;
bool contextAtRelease = false;

void reset()
{
    starts = startWidth = startHeight = frames = releases = 0;
    contextAtStart = contextAtRelease = false;
}

} // namespace stubscene

using namespace stubscene;

void sceneStart(int width, int height)
{
    ++starts;
    startWidth = width;
    startHeight = height;
    contextAtStart = wglGetCurrentContext() != nullptr;
}

void sceneReset() {}

void sceneFrame()
{
    ++frames;
}

void sceneRelease()
{
    ++releases;
    contextAtRelease = wglGetCurrentContext() != nullptr;
}
