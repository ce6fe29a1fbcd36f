// The one shape every front gives its OpenGL context, whatever the window
// system: WGL on Windows, GLX on X11, EGL for the headless renderer.
//
// The contract
//   Creation is each backend's own: a `create(...)` taking what that window
//   system needs (a window and its visual, a device context, a pbuffer size)
//   and, where the front reports failures, an error string. On success the
//   context is current on the calling thread, bound to its drawable, and the
//   scene may draw at once. On failure it returns false, the error (if
//   taken) is one line saying which step failed (no visual, no context,
//   could not make it current, ...), and it holds nothing that destroy()
//   would not free.
//   Everything below may assume a successful create() on the same thread,
//   and does nothing on a context that was never created or already
//   destroyed.
//
//   makeCurrent()  binds the context to its drawable on the calling thread
//                  again (after another context took over); false when the
//                  window system refuses.
//   swapBuffers()  ends a frame so it can be seen: a buffer swap on a
//                  double-buffered drawable (which may wait for the display's
//                  refresh), a glFlush on a single-buffered one, nothing on an
//                  off-screen pbuffer, which is read back instead.
//   destroy()      leaves the context current nowhere and frees everything
//                  create() made. The scene's GL objects must be released
//                  before (sceneRelease, see scene_driver.h). Safe to call
//                  twice; the destructor of every backend calls it.
//
// A backend is a class deriving from GLContext, non-copyable, that keeps its
// window-system handles to itself (the header that declares it may include
// the window system's headers; this one never does). Today: GlxContext
// (linux/glx_context.h), EglContext (linux/egl_context.h) and WglContext
// (host/wgl_context.h).
//
// WglContext's create(HWND window) gets the window's DC (GetDC), sets the
// saver's pixel format on it, makes a context and makes it current. The
// Windows saver reports nothing and keeps its window whatever fails, so it
// takes no error string, and a failed create() keeps the DC (and a context
// it could not make current) for destroy() to free, as the host's steps do.
// Accessors for the DC and the context let the host keep its windowDC and
// glContext variables.
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

    virtual bool makeCurrent() = 0;
    virtual void swapBuffers() = 0;
    virtual void destroy() = 0;
};
