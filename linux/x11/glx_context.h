// GLX contexts for the saver's X11 windows. Follows the contract in
// front/gl_context.h. Creation is two steps here, because the framebuffer is
// the window's visual: chooseVisual() for a window of the saver's own, and a
// context for whatever visual the window has.
#pragma once

#include "front/gl_context.h"
#include "front/pixel_format.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

// A double-buffered RGBA visual with the format's channels and depth buffer,
// for a window of the saver's own. The caller frees the result with XFree.
// Null with error set when GLX offers none.
XVisualInfo* chooseVisual(Display* display, const FramebufferFormat& format, std::string& error);

class GlxContext final : public GLContext {
public:
    GlxContext() = default;
    ~GlxContext() override;

    // A context for the window's visual, made current on the window. Works
    // for windows made by others as long as their visual supports GL.
    bool create(Display* display, Window window, const XVisualInfo& visual, std::string& error);

    // Through GLX's swap control (EXT or MESA) where the server offers it;
    // false on a single-buffered visual, whose frames are flushed, not swapped.
    bool setSwapInterval(int refreshesPerSwap) override;
    // A buffer swap, or a flush on a single-buffered visual.
    void swapBuffers() override;
    void destroy() override;

    // Whether a swap waits for the display's refresh, as the last
    // setSwapInterval left it.
    bool swapsOnRefresh() const { return swapsOnRefresh_; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    int screen_ = 0;
    void* context_ = nullptr;
    bool doubleBuffered_ = false;
    bool swapsOnRefresh_ = false;
};
