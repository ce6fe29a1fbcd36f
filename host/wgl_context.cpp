#include "host/wgl_context.h"

#include "host/gl_library.h"

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
    HGLRC context = nullptr;
    // GDI's pixel-format functions load opengl32.dll by name unless it is in
    // the process already, and would take a copy planted beside the saver:
    // without the system's own OpenGL, nothing of OpenGL is touched.
    if (loadGLLibraries()) {
        const int format = ChoosePixelFormat(dc, &pixelFormat);
        SetPixelFormat(dc, format, &pixelFormat);
        const WGLEntryPoints& wgl = wglEntryPoints();
        context = wgl.createContext(dc);
        enableGLCalls(context && wgl.makeCurrent(dc, context));
    }
    *dcOut = dc;
    *contextOut = context;
}

void swapGLBuffers(HDC dc)
{
    // GDI's buffer swap loads opengl32.dll by name as well.
    if (glCallsEnabled())
        SwapBuffers(dc);
}

void releaseGLContext(HWND window, HDC dc, HGLRC context)
{
    enableGLCalls(false);
    const WGLEntryPoints& wgl = wglEntryPoints();
    if (wgl.makeCurrent) {
        wgl.makeCurrent(nullptr, nullptr);
        wgl.deleteContext(context);
    }
    ReleaseDC(window, dc);
}
