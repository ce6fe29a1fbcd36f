#include "host/wgl_context.h"

const PIXELFORMATDESCRIPTOR pixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    24,
    0, 0, 0, 0, 0, 0,
    8,
    0,
    0, 0, 0, 0, 0,
    16,
    0,
    0,
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};

void createGLContext(HWND window, HDC* dcOut, HGLRC* contextOut)
{
    HDC dc = GetDC(window);
    const int format = ChoosePixelFormat(dc, &pixelFormat);
    SetPixelFormat(dc, format, &pixelFormat);
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    *dcOut = dc;
    *contextOut = context;
}

void releaseGLContext(HWND window, HDC dc, HGLRC context)
{
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
}
