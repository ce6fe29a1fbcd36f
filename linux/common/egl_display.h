// What the headless renderer and the Wayland saver share of EGL: opening a
// display on a platform, and EGL's last error in words.
#pragma once

#include <EGL/egl.h>

#include <string>

// EGL's last error in words: "out of memory", else "EGL error 0xNNNN".
std::string eglErrorText();
std::string eglErrorText(EGLint code);

// The initialised EGL display of a platform, or EGL_NO_DISPLAY with error
// set; name says which display in the message ("surfaceless", "Wayland").
// A missing driver is named by its Debian package.
EGLDisplay openEglDisplay(EGLenum platform, void* nativeDisplay, const char* name, std::string& error);
