// -fps where there are no X fonts: the frame rate drawn in the picture's
// lower-left corner in a small built-in bitmap font (digits, '.', "fps"),
// white on a black box, as GlxFpsOverlay draws it on X11. It stands between
// the scene and the context frames are shown with: every swapBuffers() first
// draws the latest rate into the finished picture. The box is opaque and of
// a fixed width, since the scene never clears: what it covered last frame it
// covers again.
#pragma once

#include "front/gl_context.h"

class BitmapFpsOverlay final : public GLContext {
public:
    explicit BitmapFpsOverlay(GLContext& shown) : shown_(shown) {}

    // The rate to show from the next swap on, and the picture's size.
    void setRate(double fps) { rate_ = fps; }
    void setSize(int width, int height);

    bool setSwapInterval(int refreshesPerSwap) override { return shown_.setSwapInterval(refreshesPerSwap); }
    // Draws the rate (once one was set), then swaps the shown context.
    void swapBuffers() override;
    // Nothing of its own to free: the font is drawn as rectangles.
    void destroy() override {}

private:
    void drawRate() const;
    void drawText(const char* text, int x, int y) const;

    GLContext& shown_;
    int width_ = 0;
    int height_ = 0;
    int dot_ = 1;
    double rate_ = -1.0;
};
