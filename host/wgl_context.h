// The saver window's OpenGL context through WGL. Follows the contract in
// front/gl_context.h, with one difference the host's steps need: a failed
// create() still holds the window's device context (and a context that
// could not be made current), and destroy() frees them.
#pragma once

#include "front/gl_context.h"

#include <windows.h>

// The pixel format the saver asks for on its window's DC.
extern const PIXELFORMATDESCRIPTOR pixelFormat;

class WglContext final : public GLContext {
public:
    WglContext() = default;
    ~WglContext() override;

    // Gets the window's DC, sets the pixel format, makes a context and makes
    // it current; the context stays current until destroy(). Without the
    // system's OpenGL, or when no context can be made current, only the DC
    // is got and the result is false: the scene's GL calls then do nothing
    // and the window stays black. The saver reports no failure, so there is
    // no error text.
    bool create(HWND window);

    bool makeCurrent() override;
    // Shows the frame just drawn; nothing while no context is current.
    void swapBuffers() override;
    // Leaves no context current, deletes the context, releases the DC.
    void destroy() override;

    HDC deviceContext() const { return dc_; }
    HGLRC renderingContext() const { return context_; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};
