// The one shape every front gives its OpenGL context, whatever the window
// system: WGL on Windows, GLX on X11, EGL for the headless renderer. It holds
// what fronts do with a context once it exists; a front talks to its context
// through nothing else.
//
// Creation is each backend's own: a `create(...)` taking what that window
// system needs (a window, a device context, a pbuffer size), the framebuffer
// it asks for (front/pixel_format.h) and, where the front reports failures,
// an error string. On success the context is current on the calling thread,
// bound to its drawable, and the scene may draw at once. On failure it
// returns false, the error (if taken) is one line saying which step failed
// (no visual, no context, could not make it current, ...), and it holds
// nothing that destroy() would not free. Every front has one context for its
// whole life and nothing else takes the thread, so there is nothing to make
// current again.
//
// Everything below may assume a successful create() on the same thread, and
// does nothing on a context that was never created or already destroyed.
//
//   setSwapInterval(n)  asks that every swap wait for n refreshes of the
//                       display (0: never wait). True where the window
//                       system took the request; false where it offers no
//                       swap control or nothing is swapped, and there swaps
//                       keep the pace the driver gives them.
//   swapBuffers()       ends a frame so it can be seen: a buffer swap on a
//                       double-buffered drawable (which may wait for the
//                       display's refresh), a glFlush on a single-buffered
//                       one, nothing on an off-screen pbuffer, which is read
//                       back instead.
//   destroy()           leaves the context current nowhere and frees
//                       everything create() made. The scene's GL objects must
//                       be released before (releaseScene, see
//                       scene_driver.h). Safe to call twice; the destructor
//                       of every backend calls it.
//
// A backend is a class deriving from GLContext, non-copyable, that keeps its
// window-system handles to itself (the header that declares it may include
// the window system's headers; this one never does), and says there what its
// window system does differently. Today: GlxContext (linux/x11/glx_context.h),
// EglContext (linux/render/egl_context.h) and WglContext (host/wgl_context.h).
//
// A new front (another window system) writes one such backend, then drives
// the scene through scene_driver.h: start once the context is current, one
// frame plus swapBuffers() per tick, release before destroy().
#pragma once

class GLContext {
public:
    GLContext() = default;
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;
    virtual ~GLContext() = default;

    virtual bool setSwapInterval(int refreshesPerSwap) = 0;
    virtual void swapBuffers() = 0;
    virtual void destroy() = 0;
};
