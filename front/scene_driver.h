// The three steps every front takes with the scene, whatever its window
// system: the Windows host from WM_CREATE, WM_TIMER and WM_DESTROY, the Linux
// front from its X11 loop and its headless renderer. What differs between
// fronts (which millisecond counter the scene reads, how often a tick comes,
// developer hooks) stays with the front.
#pragma once

class GLContext;

// With the front's context current and its millisecond counter chosen: sets
// the GL state that never changes, then starts the scene on a drawable of
// width x height pixels.
void startScene(int width, int height);

// One tick: the scene's next frame, then the context's swapBuffers() to show
// it (a no-op on an off-screen pbuffer).
void drawSceneFrame(GLContext& context);

// Frees the scene's GL objects; the context must still be current, so call
// it before the context's destroy().
void releaseScene();
