#include "linux/x11/glx_context.h"

#include <GL/glx.h>

#include <cstdio>
#include <cstring>

namespace {

bool haveGlx(Display* display, std::string& error)
{
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) {
        error = "the X server has no GLX extension, so OpenGL cannot draw on it";
        return false;
    }
    return true;
}

// Whether the space-separated list names the extension as a whole word.
bool listed(const char* extensions, const char* name)
{
    const std::size_t length = std::strlen(name);
    for (const char* at = extensions; at && (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

// With the context current on the window; false where GLX offers no swap
// control.
bool requestSwapInterval(Display* display, int screen, Window window, int refreshesPerSwap)
{
    using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
    using SwapIntervalMesa = int (*)(unsigned int);
    const char* extensions = glXQueryExtensionsString(display, screen);
    auto address = [](const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); };
    if (listed(extensions, "GLX_EXT_swap_control")) {
        if (auto setInterval = reinterpret_cast<SwapIntervalExt>(address("glXSwapIntervalEXT"))) {
            setInterval(display, window, refreshesPerSwap);
            return true;
        }
    }
    if (listed(extensions, "GLX_MESA_swap_control")) {
        if (auto setInterval = reinterpret_cast<SwapIntervalMesa>(address("glXSwapIntervalMESA")))
            return setInterval(refreshesPerSwap) == 0;
    }
    return false;
}

} // namespace

XVisualInfo* chooseVisual(Display* display, const FramebufferFormat& format, std::string& error)
{
    if (!haveGlx(display, error))
        return nullptr;
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER,
        GLX_RED_SIZE, format.channelBits, GLX_GREEN_SIZE, format.channelBits,
        GLX_BLUE_SIZE, format.channelBits, GLX_ALPHA_SIZE, format.channelBits,
        GLX_DEPTH_SIZE, format.depthBits,
        None,
    };
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual)
        error = "GLX offers no double-buffered visual with " + describeFramebuffer(format);
    return visual;
}

GlxContext::~GlxContext() { destroy(); }

bool GlxContext::create(Display* display, Window window, const XVisualInfo& visual, std::string& error)
{
    destroy();
    if (!haveGlx(display, error))
        return false;
    XVisualInfo info = visual;
    int useGl = 0;
    int rgba = 0;
    if (glXGetConfig(display, &info, GLX_USE_GL, &useGl) != 0 || !useGl ||
        glXGetConfig(display, &info, GLX_RGBA, &rgba) != 0 || !rgba) {
        char text[40];
        std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(visual.visualid));
        error = std::string("the window's visual ") + text + " does not support RGBA OpenGL";
        return false;
    }
    int doubleBuffer = 0;
    glXGetConfig(display, &info, GLX_DOUBLEBUFFER, &doubleBuffer);

    GLXContext context = glXCreateContext(display, &info, nullptr, True);
    if (!context)
        context = glXCreateContext(display, &info, nullptr, False);
    if (!context) {
        error = "GLX gave no OpenGL context";
        return false;
    }
    if (!glXMakeCurrent(display, window, context)) {
        glXDestroyContext(display, context);
        error = "GLX could not make its context current on the window";
        return false;
    }
    display_ = display;
    window_ = window;
    screen_ = visual.screen;
    context_ = context;
    doubleBuffered_ = doubleBuffer != 0;
    return true;
}

bool GlxContext::setSwapInterval(int refreshesPerSwap)
{
    const bool taken = context_ && doubleBuffered_ && requestSwapInterval(display_, screen_, window_, refreshesPerSwap);
    swapsOnRefresh_ = taken && refreshesPerSwap > 0;
    return taken;
}

void GlxContext::swapBuffers()
{
    if (!context_)
        return;
    if (doubleBuffered_)
        glXSwapBuffers(display_, window_);
    else
        glFlush();
}

void GlxContext::destroy()
{
    if (!context_)
        return;
    glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, static_cast<GLXContext>(context_));
    context_ = nullptr;
    swapsOnRefresh_ = false;
    display_ = nullptr;
    window_ = 0;
}
