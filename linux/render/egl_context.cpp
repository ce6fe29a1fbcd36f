#include "linux/render/egl_context.h"

#include "linux/common/egl_display.h"

#include "components/gl_api.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// A limit of 0 or less is one the driver did not state.
bool withinLimit(int width, int height, int maxWidth, int maxHeight, std::string& error)
{
    if ((maxWidth > 0 && width > maxWidth) || (maxHeight > 0 && height > maxHeight)) {
        error = "-size " + sizeText(width, height) + " is beyond the renderer's limit of " +
                sizeText(maxWidth, maxHeight);
        return false;
    }
    return true;
}

// A pbuffer may be larger than GL draws into: the rest would stay unpainted.
bool viewportTakes(int width, int height, std::string& error)
{
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return withinLimit(width, height, viewport[0], viewport[1], error);
}

} // namespace

EglContext::~EglContext() { destroy(); }

bool EglContext::create(int width, int height, const FramebufferFormat& format, std::string& error)
{
    destroy();
    void* config = nullptr;
    bool ok = openSurfacelessDisplay(error) && chooseConfig(width, height, format, config, error) &&
              makeContextAndSurface(config, width, height, error);
    if (ok && !makeCurrent()) {
        error = "EGL could not make its context current (" + eglErrorText() + ")";
        ok = false;
    }
    ok = ok && viewportTakes(width, height, error);
    if (!ok)
        destroy();
    return ok;
}

bool EglContext::openSurfacelessDisplay(std::string& error)
{
    display_ = openEglDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, "surfaceless", error);
    return display_ != EGL_NO_DISPLAY;
}

bool EglContext::chooseConfig(int width, int height, const FramebufferFormat& format, void*& config,
                              std::string& error)
{
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, format.channelBits, EGL_GREEN_SIZE, format.channelBits,
        EGL_BLUE_SIZE, format.channelBits, EGL_ALPHA_SIZE, format.channelBits,
        EGL_DEPTH_SIZE, format.depthBits,
        EGL_NONE,
    };
    EGLConfig chosen = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display_, configAttributes, &chosen, 1, &count) || count < 1) {
        error = "EGL offers no desktop-GL pbuffer with " + describeFramebuffer(format);
        return false;
    }

    EGLint maxWidth = 0;
    EGLint maxHeight = 0;
    eglGetConfigAttrib(display_, chosen, EGL_MAX_PBUFFER_WIDTH, &maxWidth);
    eglGetConfigAttrib(display_, chosen, EGL_MAX_PBUFFER_HEIGHT, &maxHeight);
    if (!withinLimit(width, height, maxWidth, maxHeight, error))
        return false;
    config = chosen;
    return true;
}

bool EglContext::makeContextAndSurface(void* config, int width, int height, std::string& error)
{
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "EGL does not offer desktop OpenGL (" + eglErrorText() + ")";
        return false;
    }
    // No version asked: the driver's default is a compatibility profile,
    // which keeps the fixed-function pipeline the scene draws with.
    EGLContext context = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        error = "EGL gave no OpenGL context (" + eglErrorText() + ")";
        return false;
    }
    context_ = context;

    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display_, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        error = "EGL gave no " + sizeText(width, height) + " pbuffer (" + eglErrorText() + ")";
        return false;
    }
    surface_ = surface;
    return true;
}

bool EglContext::makeCurrent()
{
    return context_ && eglMakeCurrent(display_, surface_, surface_, context_);
}

void EglContext::destroy()
{
    if (!display_)
        return;
    EGLDisplay display = display_;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_)
        eglDestroySurface(display, surface_);
    if (context_)
        eglDestroyContext(display, context_);
    eglTerminate(display);
    display_ = surface_ = context_ = nullptr;
}
