#include "glx_context.h"

#include <GL/glx.h>

#include <cstdio>

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

} // namespace

XVisualInfo* chooseSaverVisual(Display* display, std::string& error)
{
    if (!haveGlx(display, error))
        return nullptr;
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER,
        GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8,
        GLX_DEPTH_SIZE, 16,
        None,
    };
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual)
        error = "GLX offers no double-buffered RGBA visual with alpha and a 16-bit depth buffer";
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
    context_ = context;
    doubleBuffered_ = doubleBuffer != 0;
    return true;
}

void GlxContext::present()
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
    display_ = nullptr;
    window_ = 0;
}
