// GLX contexts for the saver's X11 windows.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

// The saver's pixel format for a window of its own: double-buffered RGBA
// with 8-bit channels and alpha, and a 16-bit depth buffer. The caller frees
// the result with XFree. Null with error set when GLX offers none.
XVisualInfo* chooseSaverVisual(Display* display, std::string& error);

class GlxContext {
public:
    GlxContext() = default;
    GlxContext(const GlxContext&) = delete;
    GlxContext& operator=(const GlxContext&) = delete;
    ~GlxContext();

    // A context for the window's visual, made current on the window. Works
    // for windows made by others as long as their visual supports GL.
    bool create(Display* display, Window window, const XVisualInfo& visual, std::string& error);
    // Presents the frame: a buffer swap, or a flush on a single-buffered visual.
    void present();
    // Whether a swap waits for the display's refresh: asked of GLX where it
    // offers swap control (EXT or MESA), so the saver draws no more frames
    // than the display shows.
    bool swapsOnRefresh() const { return swapsOnRefresh_; }
    void destroy();

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    void* context_ = nullptr;
    bool doubleBuffered_ = false;
    bool swapsOnRefresh_ = false;
};
