// The saver window's OpenGL context through WGL. Follows the contract in
// front/gl_context.h, with the differences the Windows saver needs. It
// reports nothing and keeps its window whatever fails, so create() takes no
// error string, and a failed create() still holds the window's device
// context (and a context it could not make current) for destroy() to free,
// as the host's steps do. Accessors for the DC and the context let the host
// keep its windowDC and glContext variables.
#pragma once

#include "front/gl_context.h"
#include "front/pixel_format.h"

#include <windows.h>

// saverFramebuffer as the descriptor the host asks for on its window's DC.
extern const PIXELFORMATDESCRIPTOR pixelFormat;

class WglContext final : public GLContext {
public:
    WglContext() = default;
    ~WglContext() override;

    // Gets the window's DC, sets a pixel format with the framebuffer's
    // channels and depth buffer, makes a context and makes it current; the
    // context stays current until destroy(). Without the system's OpenGL, or
    // when no context can be made current, only the DC is got and the result
    // is false: the scene's GL calls then do nothing and the window stays
    // black.
    bool create(HWND window, const FramebufferFormat& format);

    // The saver resolves only the WGL functions that make, bind and delete
    // a context; swap control is an extension beyond them. The interval
    // stays as the driver sets it, as it always has for this saver.
    bool setSwapInterval(int) override { return false; }
    // Shows the frame just drawn; nothing while no context is current.
    void swapBuffers() override;
    // Leaves no context current, deletes the context, releases the DC.
    void destroy() override;

    HDC deviceContext() const { return dc_; }
    HGLRC renderingContext() const { return context_; }

private:
    bool makeCurrent();

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};
