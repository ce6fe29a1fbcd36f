#include "linux/common/egl_display.h"

#include <cstdio>

std::string eglErrorText()
{
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04x", static_cast<unsigned>(eglGetError()));
    return text;
}

EGLDisplay openEglDisplay(EGLenum platform, void* nativeDisplay, const char* name, std::string& error)
{
    EGLDisplay display = eglGetPlatformDisplay(platform, nativeDisplay, nullptr);
    if (display == EGL_NO_DISPLAY) {
        error = std::string("EGL has no ") + name + " display (is Mesa's EGL driver, libegl-mesa0, installed?)";
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = std::string("EGL's ") + name + " display would not initialise (" + eglErrorText() + ")";
        return EGL_NO_DISPLAY;
    }
    return display;
}
