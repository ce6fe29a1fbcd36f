#include "host/wgl_context.h"

#include "host/gl_library.h"

namespace {

// What the saver asks of the window's pixel format; the driver picks the
// nearest format it has. Every field not set here is 0: the channels' sizes
// and shifts are left to the driver, and there is no accumulation, stencil
// or auxiliary buffer.
constexpr WORD descriptorVersion = 1;  // the only one there is
constexpr DWORD formatFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
constexpr BYTE colorBitsPerPixel = 24;  // red, green and blue together
constexpr BYTE alphaBitsPerPixel = 8;
constexpr BYTE depthBitsPerPixel = 16;

constexpr PIXELFORMATDESCRIPTOR describePixelFormat()
{
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    format.nVersion = descriptorVersion;
    format.dwFlags = formatFlags;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = colorBitsPerPixel;
    format.cAlphaBits = alphaBitsPerPixel;
    format.cDepthBits = depthBitsPerPixel;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

} // namespace

const PIXELFORMATDESCRIPTOR pixelFormat = describePixelFormat();

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
