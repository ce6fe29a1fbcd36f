// Runs the scene the way the Windows host does (fixed GL state, sceneStart,
// then sceneFrame per tick), whatever kind of context the front made current.
#pragma once

#include "options.h"

class SceneDriver {
public:
    // The caller's GL context must be current. Applies the streaks' drawing
    // order (-draw) and, after the scene's own reset, the developer hooks
    // (-overlay, -letterbox).
    void start(const Options& options, int width, int height);
    // The drawable's new size, used from the next frame on: the scene sets
    // its viewport and projection from it on every frame.
    void resize(int width, int height);
    // One frame; the caller presents it (swap) afterwards.
    void frame();
    // Frees the scene's GL objects while the context is still current.
    void stop();

    long framesDrawn() const { return framesDrawn_; }

private:
    bool started_ = false;
    long framesDrawn_ = 0;
};
