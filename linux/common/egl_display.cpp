#include "linux/common/egl_display.h"

#include <cstdio>

namespace {

// Where no driver could be loaded, libglvnd has no client extensions to
// list: not even the platforms every driver names.
bool noDriverLoaded()
{
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    return !extensions || !*extensions;
}

} // namespace

std::string eglErrorText() { return eglErrorText(eglGetError()); }

std::string eglErrorText(EGLint code)
{
    if (code == EGL_BAD_ALLOC)
        return "out of memory";
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04x", static_cast<unsigned>(code));
    return text;
}

EGLDisplay openEglDisplay(EGLenum platform, void* nativeDisplay, const char* name, std::string& error)
{
    EGLDisplay display = eglGetPlatformDisplay(platform, nativeDisplay, nullptr);
    if (display == EGL_NO_DISPLAY) {
        const std::string code = eglErrorText();
        error = noDriverLoaded() ? "the EGL driver is missing (Mesa's is the package libegl-mesa0)"
                                 : std::string("EGL has no ") + name + " display (" + code + ")";
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        const EGLint code = eglGetError();
        // All Mesa's EGL says where its GL driver would not load.
        error = std::string("EGL's ") + name + " display would not initialise (" +
                (code == EGL_NOT_INITIALIZED ? "its GL driver would not load; Mesa's is the package libgl1-mesa-dri"
                                             : eglErrorText(code)) +
                ")";
        return EGL_NO_DISPLAY;
    }
    return display;
}
