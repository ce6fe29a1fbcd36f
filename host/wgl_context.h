// The window's device context and OpenGL rendering context.
#pragma once

#include <windows.h>

extern const PIXELFORMATDESCRIPTOR pixelFormat;

// Gets the window's DC, sets the pixel format, makes a context and makes it
// current; the context stays current until releaseGLContext. Without the
// system's OpenGL, or when no context can be made current, only the DC is
// got: the scene's GL calls then do nothing and the window stays black.
void createGLContext(HWND window, HDC* dcOut, HGLRC* contextOut);
// Shows the frame just drawn; nothing while no context is current.
void swapGLBuffers(HDC dc);
void releaseGLContext(HWND window, HDC dc, HGLRC context);
