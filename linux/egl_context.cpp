#include "egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string eglErrorText()
{
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04x", static_cast<unsigned>(eglGetError()));
    return text;
}

} // namespace

EglContext::~EglContext() { destroy(); }

bool EglContext::create(int width, int height, std::string& error)
{
    destroy();
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        error = "EGL has no surfaceless display (is Mesa's EGL driver, libegl-mesa0, installed?)";
        return false;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = "EGL's surfaceless display would not initialise (" + eglErrorText() + ")";
        return false;
    }
    display_ = display;

    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 16,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        error = "EGL offers no desktop-GL pbuffer with 8-bit RGBA and a 16-bit depth buffer";
        destroy();
        return false;
    }

    EGLint maxWidth = 0;
    EGLint maxHeight = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxWidth);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxHeight);
    if ((maxWidth > 0 && width > maxWidth) || (maxHeight > 0 && height > maxHeight)) {
        error = "-size " + std::to_string(width) + "x" + std::to_string(height) +
                " is beyond the renderer's limit of " + std::to_string(maxWidth) + "x" +
                std::to_string(maxHeight);
        destroy();
        return false;
    }

    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "EGL does not offer desktop OpenGL (" + eglErrorText() + ")";
        destroy();
        return false;
    }
    // No version asked: the driver's default is a compatibility profile,
    // which keeps the fixed-function pipeline the scene draws with.
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        error = "EGL gave no OpenGL context (" + eglErrorText() + ")";
        destroy();
        return false;
    }
    context_ = context;

    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        error = "EGL gave no " + std::to_string(width) + "x" + std::to_string(height) +
                " pbuffer (" + eglErrorText() + ")";
        destroy();
        return false;
    }
    surface_ = surface;

    if (!eglMakeCurrent(display, surface, surface, context)) {
        error = "EGL could not make its context current (" + eglErrorText() + ")";
        destroy();
        return false;
    }
    return true;
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
