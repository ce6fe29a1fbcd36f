// The scene's side of the display host's three calls. The host makes its GL
// context current and sets the fixed GL state before sceneStart, calls
// sceneFrame on every timer tick (and swaps buffers after it), and calls
// sceneRelease while the context is still current.
#pragma once

void sceneStart(int width, int height);
void sceneReset();
void sceneFrame();
void sceneRelease();

void drawWorld();
void animateCamera();
void drawFlatPass();
