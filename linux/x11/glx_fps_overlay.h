// -fps: the frame rate drawn in the picture's lower-left corner, as
// XScreenSaver's users expect it, in a bitmap font of the X server's own
// (glXUseXFont), white on a black box so that it reads on any background.
//
// It stands between the scene and the GLX context it shows frames with:
// every swapBuffers() first draws the latest rate into the finished frame.
// The scene never clears its picture, so the box is opaque and of a fixed
// width: what it covered last frame it covers again, and no digit of an
// older rate shows through the fade.
#pragma once

#include "front/gl_context.h"

#include <X11/Xlib.h>

#include <string>

class GlxFpsOverlay final : public GLContext {
public:
    explicit GlxFpsOverlay(GLContext& shown) : shown_(shown) {}
    ~GlxFpsOverlay() override;

    // With the shown context current: loads the font (larger on a tall
    // window) and makes its display lists. False with error set where the
    // server offers none of the fonts tried.
    bool create(Display* display, int windowHeight, std::string& error);

    // The rate to show from the next swap on, and the drawable's size.
    void setRate(double fps) { rate_ = fps; }
    void setSize(int width, int height);

    bool setSwapInterval(int refreshesPerSwap) override { return shown_.setSwapInterval(refreshesPerSwap); }
    // Draws the rate (once one was set), then swaps the shown context.
    void swapBuffers() override;
    // Frees the font's display lists; the shown context is its owner's.
    void destroy() override;

private:
    void drawRate();

    GLContext& shown_;
    unsigned listBase_ = 0;
    int charWidth_ = 0;
    int ascent_ = 0;
    int descent_ = 0;
    int width_ = 0;
    int height_ = 0;
    double rate_ = -1.0;
};
