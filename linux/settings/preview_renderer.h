// The live preview's drawing: the saver's own scene, run by SceneRun on the
// headless renderer's EGL pbuffer (a compatibility-profile context, since the
// toolkit's own GL contexts are core-profile and the scene is fixed-function
// GL), read back each frame. One per process: the scene core is global.
#pragma once

#include "linux/common/scene_run.h"
#include "linux/render/egl_context.h"

#include <cstdint>
#include <string>
#include <vector>

// Whether the preview's GL is a software renderer (Mesa's llvmpipe and its
// kin), asked of a throwaway context of the same kind.
bool rendersInSoftware();

class PreviewRenderer {
public:
    PreviewRenderer() = default;
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // Draws the next frame at width x height pixels and leaves it in rgb,
    // 3 bytes a pixel, top row first. The toolkit's GL context, if any, is
    // no longer current afterwards. False with error set on failure.
    bool draw(int width, int height, std::vector<std::uint8_t>& rgb, std::string& error);
    // Time the preview was not shown, left out of the scene's clock so that
    // it does not leap on its first frame back.
    void skipTime(std::int64_t milliseconds) { run_.skipTime(milliseconds); }
    long framesDrawn() const { return run_.framesDrawn(); }

private:
    bool fit(int width, int height, std::string& error);
    void stop();

    EglContext context_;
    SceneRun run_;
    int capacityWidth_ = 0;
    int capacityHeight_ = 0;
    std::vector<std::uint8_t> bottomUp_;
};
