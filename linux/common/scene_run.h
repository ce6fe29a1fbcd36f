// One run of the scene with the Linux front's options, around the shared
// driver (front/scene_driver.h): the scripted clock of -frame-ms, the
// streaks' drawing order and the fade's way (-draw), the developer hooks
// (-overlay, -letterbox), the window's size as it changes, and the count of
// frames drawn.
#pragma once

#include "linux/common/options.h"
#include "linux/common/scene_clock.h"

#include "front/pixel_format.h"

#include <cstdint>

class GLContext;

// The framebuffer a run with these options asks for. The batched way has no
// depth buffer, since none of the scene's passes tests depth, and SceneRun
// lays its fade for that; -draw exact keeps the framebuffer and the fade of
// the Windows saver.
FramebufferFormat framebufferFor(const Options& options);

class SceneRun {
public:
    // The caller's GL context must be current. Applies the streaks' drawing
    // order and, after the scene's own reset, the developer hooks.
    void start(const Options& options, int width, int height);
    // For a front that draws nothing while hidden (Wayland): the scene reads
    // the real clock less the time left out with skipTime(), so that it does
    // not leap over the gap on its first frame back. Call before start();
    // a fixed -frame-ms clock is not affected.
    void useSkippableClock() { skippable_ = true; }
    void skipTime(std::int64_t milliseconds);
    // The drawable's new size, used from the next frame on: the scene sets
    // its viewport and projection from it on every frame.
    void resize(int width, int height);
    // One frame, shown with the context's swapBuffers().
    void frame(GLContext& context);
    // Frees the scene's GL objects while the context is still current.
    void stop();

    long framesDrawn() const { return framesDrawn_; }

private:
    SceneClock clock_;
    bool started_ = false;
    bool skippable_ = false;
    long framesDrawn_ = 0;
};
