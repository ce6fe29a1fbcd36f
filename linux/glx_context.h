// GLX contexts for the saver's X11 windows. Follows the contract in
// front/gl_context.h.
#pragma once

#include "front/gl_context.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

// The saver's pixel format for a window of its own: double-buffered RGBA
// with 8-bit channels and alpha, and a 16-bit depth buffer. The caller frees
// the result with XFree. Null with error set when GLX offers none.
XVisualInfo* chooseSaverVisual(Display* display, std::string& error);

class GlxContext final : public GLContext {
public:
    GlxContext() = default;
    ~GlxContext() override;

    // A context for the window's visual, made current on the window. Works
    // for windows made by others as long as their visual supports GL.
    bool create(Display* display, Window window, const XVisualInfo& visual, std::string& error);

    bool makeCurrent() override;
    // A buffer swap, or a flush on a single-buffered visual.
    void swapBuffers() override;
    void destroy() override;

    // Whether a swap waits for the display's refresh: asked of GLX where it
    // offers swap control (EXT or MESA), so the saver draws no more frames
    // than the display shows.
    bool swapsOnRefresh() const { return swapsOnRefresh_; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    void* context_ = nullptr;
    bool doubleBuffered_ = false;
    bool swapsOnRefresh_ = false;
};
