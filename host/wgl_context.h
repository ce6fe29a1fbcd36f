// The window's device context and OpenGL rendering context.
#pragma once

#include <windows.h>

extern const PIXELFORMATDESCRIPTOR pixelFormat;

// Gets the window's DC, sets the pixel format, makes a context and makes it
// current; the context stays current until releaseGLContext.
void createGLContext(HWND window, HDC* dcOut, HGLRC* contextOut);
void releaseGLContext(HWND window, HDC dc, HGLRC context);
