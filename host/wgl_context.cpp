#include "host/wgl_context.h"

#include "host/gl_library.h"

namespace {

// What the saver asks of the window's pixel format; the driver picks the
// nearest format it has. Every field not set here is 0: the channels' sizes
// and shifts are left to the driver, and there is no accumulation, stencil
// or auxiliary buffer.
constexpr WORD descriptorVersion = 1;  // the only one there is
constexpr DWORD formatFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
constexpr int colorChannels = 3;  // red, green and blue count together

constexpr PIXELFORMATDESCRIPTOR describePixelFormat(const FramebufferFormat& framebuffer)
{
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    format.nVersion = descriptorVersion;
    format.dwFlags = formatFlags;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(colorChannels * framebuffer.channelBits);
    format.cAlphaBits = static_cast<BYTE>(framebuffer.channelBits);
    format.cDepthBits = static_cast<BYTE>(framebuffer.depthBits);
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

} // namespace

const PIXELFORMATDESCRIPTOR pixelFormat = describePixelFormat(saverFramebuffer);

WglContext::~WglContext()
{
    destroy();
}

bool WglContext::create(HWND window, const FramebufferFormat& framebuffer)
{
    destroy();
    window_ = window;
    dc_ = GetDC(window);
    // GDI's pixel-format functions load opengl32.dll by name unless it is in
    // the process already, and would take a copy planted beside the saver:
    // without the system's own OpenGL, nothing of OpenGL is touched.
    if (!loadGLLibraries())
        return false;
    const PIXELFORMATDESCRIPTOR descriptor = describePixelFormat(framebuffer);
    const int format = ChoosePixelFormat(dc_, &descriptor);
    SetPixelFormat(dc_, format, &descriptor);
    context_ = wglEntryPoints().createContext(dc_);
    return makeCurrent();
}

bool WglContext::makeCurrent()
{
    // GL calls go through only while this context is current.
    const bool current = context_ && wglEntryPoints().makeCurrent(dc_, context_);
    enableGLCalls(current);
    return current;
}

void WglContext::swapBuffers()
{
    // GDI's buffer swap loads opengl32.dll by name as well.
    if (glCallsEnabled())
        SwapBuffers(dc_);
}

void WglContext::destroy()
{
    if (!window_)
        return;
    enableGLCalls(false);
    const WGLEntryPoints& wgl = wglEntryPoints();
    if (wgl.makeCurrent) {
        wgl.makeCurrent(nullptr, nullptr);
        wgl.deleteContext(context_);
    }
    ReleaseDC(window_, dc_);
    window_ = nullptr;
    dc_ = nullptr;
    context_ = nullptr;
}
