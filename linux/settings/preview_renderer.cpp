// The scene drawn on a pbuffer that grows with the preview, read back flipped
// to the top-down rows a memory texture takes.
#include "linux/settings/preview_renderer.h"

#include "components/gl_api.h"

#include <gtk/gtk.h>

#include <cstring>

namespace {

// The pbuffer grows in steps this large, so that dragging the window's edge
// does not restart the scene at every pixel.
constexpr int capacityStep = 256;
constexpr int bytesPerPixel = 3;

int roundUp(int value) { return (value + capacityStep - 1) / capacityStep * capacityStep; }

} // namespace

bool rendersInSoftware()
{
    EglContext probe;
    std::string error;
    if (!probe.create(1, 1, framebufferFor(Options{}), error))
        return false;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                        std::strstr(renderer, "swrast"));
}

PreviewRenderer::~PreviewRenderer() { stop(); }

void PreviewRenderer::stop()
{
    if (capacityWidth_ == 0)
        return;
    gdk_gl_context_clear_current();
    if (context_.makeCurrent())
        run_.stop();
    context_.destroy();
    capacityWidth_ = capacityHeight_ = 0;
}

// The scene draws into the pbuffer's lower-left width x height corner (it
// sets its viewport from its size each frame), so a pbuffer at least that
// large serves; a larger one is made, and the scene restarted, only when
// the preview outgrows it.
bool PreviewRenderer::fit(int width, int height, std::string& error)
{
    if (width <= capacityWidth_ && height <= capacityHeight_) {
        if (context_.makeCurrent())
            return true;
        error = "EGL could not make the preview's context current";
        return false;
    }
    stop();
    const int newWidth = roundUp(width);
    const int newHeight = roundUp(height);
    if (!context_.create(newWidth, newHeight, framebufferFor(Options{}), error))
        return false;
    // A new pbuffer holds whatever its memory held; the scene only fades it.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    run_.useSkippableClock();
    run_.start(Options{}, width, height);
    capacityWidth_ = newWidth;
    capacityHeight_ = newHeight;
    return true;
}

bool PreviewRenderer::draw(int width, int height, std::vector<std::uint8_t>& rgb, std::string& error)
{
    // The toolkit keeps note of its own current context: it must learn that
    // it is no longer current, or it would draw into the pbuffer next.
    gdk_gl_context_clear_current();
    if (!fit(width, height, error))
        return false;
    run_.resize(width, height);
    run_.frame(context_);

    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    bottomUp_.resize(rowBytes * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp_.data());
    rgb.resize(bottomUp_.size());
    for (int row = 0; row < height; ++row)
        std::memcpy(&rgb[rowBytes * static_cast<std::size_t>(row)],
                    &bottomUp_[rowBytes * static_cast<std::size_t>(height - 1 - row)], rowBytes);
    return true;
}
