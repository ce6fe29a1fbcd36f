#include "linux/wayland/wayland_egl_context.h"

#include "linux/common/egl_display.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <wayland-egl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Window buffers: 8 bits a colour and no alpha (an opaque XRGB buffer to
// the compositor), no depth (the picture has its own).
constexpr EGLint windowChannelBits = 8;
constexpr EGLint configsConsidered = 64;
// The picture is halved no further than this, on its longer side.
constexpr int smallestPicture = 64;

EGLint attribute(EGLDisplay display, EGLConfig config, EGLint name)
{
    EGLint value = 0;
    eglGetConfigAttrib(display, config, name, &value);
    return value;
}

} // namespace

WaylandEglContext::~WaylandEglContext() { destroy(); }

bool WaylandEglContext::takeLackingFrame(wl_surface* surface)
{
    if (path_ == PresentPath::Shm)
        return shm_.takeLackingFrame(surface);
    const auto found = std::find(lacking_.begin(), lacking_.end(), surface);
    if (found == lacking_.end())
        return false;
    lacking_.erase(found);
    return true;
}

bool WaylandEglContext::create(wl_display* display, wl_shm* shm, wp_viewporter* viewporter,
                               const FramebufferFormat& format, std::string& error)
{
    destroy();
    shmGlobal_ = shm;
    viewporter_ = viewporter;
    const bool ok = openCompositorDisplay(display, error) && chooseConfig(error) && makeContext(format, error) &&
                    setPictureSize(1, 1, error);
    if (!ok)
        destroy();
    return ok;
}

bool WaylandEglContext::openCompositorDisplay(wl_display* display, std::string& error)
{
    display_ = openEglDisplay(EGL_PLATFORM_WAYLAND_KHR, display, "Wayland", error);
    return display_ != EGL_NO_DISPLAY;
}

bool WaylandEglContext::chooseConfig(std::string& error)
{
    const EGLint wanted[] = {
        EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, windowChannelBits, EGL_GREEN_SIZE, windowChannelBits, EGL_BLUE_SIZE, windowChannelBits,
        EGL_NONE,
    };
    EGLConfig configs[configsConsidered];
    EGLint count = 0;
    if (!eglChooseConfig(display_, wanted, configs, configsConsidered, &count))
        count = 0;
    // EGL sorts deeper buffers first and counts "at least": the one without
    // alpha has to be picked out.
    for (EGLint i = 0; i < count; ++i) {
        if (attribute(display_, configs[i], EGL_ALPHA_SIZE) == 0 &&
            attribute(display_, configs[i], EGL_RED_SIZE) == windowChannelBits) {
            config_ = configs[i];
            return true;
        }
    }
    error = "EGL offers no desktop-GL window config with 8-bit RGB and no alpha";
    return false;
}

bool WaylandEglContext::makeContext(const FramebufferFormat& format, std::string& error)
{
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "EGL does not offer desktop OpenGL (" + eglErrorText() + ")";
        return false;
    }
    // No version asked: the driver's default is a compatibility profile,
    // which keeps the fixed-function pipeline the scene draws with.
    EGLContext context = eglCreateContext(display_, config_, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        error = "EGL gave no OpenGL context (" + eglErrorText() + ")";
        return false;
    }
    context_ = context;
    // Current with no surface until the first output is configured: the
    // scene starts in the picture.
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) {
        error = "EGL could not make its context current without a surface (" + eglErrorText() + ")";
        return false;
    }
    FramebufferFunctions functions;
    if (!functions.load(eglGetProcAddress)) {
        error = "OpenGL offers no framebuffer objects and blits (GL 3.0), which the Wayland front draws with";
        return false;
    }
    choosePath(functions, format, shmGlobal_);
    picture_.prepare(functions, format,
                     path_ == PresentPath::Shm ? PictureBuffer::Colours::BgraTexture : PictureBuffer::Colours::Renderbuffer);
    return true;
}

void WaylandEglContext::choosePath(const FramebufferFunctions& functions, const FramebufferFormat& format, wl_shm* shm)
{
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    path_ = shm ? choosePresentPath(renderer, std::getenv("CASCADE_WAYLAND_PRESENT")) : PresentPath::Egl;
    if (path_ == PresentPath::Shm)
        shm_.prepare(functions, format, shm, viewporter_);
}

bool WaylandEglContext::showOn(wl_surface* surface, int width, int height, int scale, std::string& error)
{
    if (path_ == PresentPath::Shm) {
        shm_.showOn(surface, width, height, width / scale, height / scale);
        return true;
    }
    if (WindowSurface* known = find(surface)) {
        if (known->width != width || known->height != height) {
            wl_egl_window_resize(known->window, width, height, 0, 0);
            known->width = width;
            known->height = height;
        }
        return true;
    }
    WindowSurface windowSurface;
    windowSurface.surface = surface;
    windowSurface.width = width;
    windowSurface.height = height;
    if (!makeWindowSurface(windowSurface, error)) {
        release(windowSurface);
        return false;
    }
    windowSurfaces_.push_back(windowSurface);
    return true;
}

bool WaylandEglContext::makeWindowSurface(WindowSurface& windowSurface, std::string& error)
{
    windowSurface.window = wl_egl_window_create(windowSurface.surface, windowSurface.width, windowSurface.height);
    if (!windowSurface.window) {
        error = "could not make an EGL window for a Wayland surface";
        return false;
    }
    windowSurface.eglSurface = eglCreatePlatformWindowSurface(display_, config_, windowSurface.window, nullptr);
    if (windowSurface.eglSurface == EGL_NO_SURFACE) {
        error = "EGL gave no window surface (" + eglErrorText() + ")";
        return false;
    }
    // The swap interval belongs to the surface current when it is set.
    if (!eglMakeCurrent(display_, windowSurface.eglSurface, windowSurface.eglSurface, context_)) {
        error = "EGL could not make its context current on a window (" + eglErrorText() + ")";
        return false;
    }
    eglSwapInterval(display_, swapInterval_);
    return true;
}

void WaylandEglContext::forget(wl_surface* surface)
{
    if (path_ == PresentPath::Shm) {
        showNext_.erase(std::remove(showNext_.begin(), showNext_.end(), surface), showNext_.end());
        shm_.forget(surface);
        return;
    }
    WindowSurface* windowSurface = find(surface);
    if (!windowSurface)
        return;
    showNext_.erase(std::remove(showNext_.begin(), showNext_.end(), surface), showNext_.end());
    // Off the surface before it goes: the context must not stay current on
    // a destroyed window.
    if (context_)
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    release(*windowSurface);
    windowSurfaces_.erase(windowSurfaces_.begin() + (windowSurface - windowSurfaces_.data()));
}

// Where GL or memory will not give the picture its size, a smaller one of
// the same shape is drawn, and shown scaled: a frame, however coarse, is
// better than none, above all on a lock.
bool WaylandEglContext::setPictureSize(int width, int height, std::string& error)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    while (largest > 0 && (width > largest || height > largest)) {
        width = (width + 1) / 2;
        height = (height + 1) / 2;
    }
    std::string failure;
    for (;;) {
        if (picture_.resize(width, height, failure))
            return true;
        if (width <= smallestPicture && height <= smallestPicture)
            break;
        width = std::max(1, (width + 1) / 2);
        height = std::max(1, (height + 1) / 2);
    }
    error = failure;
    return false;
}

bool WaylandEglContext::rehearseFrame(const std::function<void(int, int)>& over, std::string& error)
{
    if (path_ == PresentPath::Shm)
        return shm_.rehearse(picture_, over, error);
    // On a GPU's path the window surfaces' memory is the driver's, had with
    // them; what is drawn over them cannot be drawn into the picture, which
    // the scene never clears.
    glFinish();
    return true;
}

bool WaylandEglContext::setSwapInterval(int refreshesPerSwap)
{
    swapInterval_ = refreshesPerSwap;
    return true;
}

void WaylandEglContext::swapBuffers()
{
    for (wl_surface* surface : showNext_) {
        if (path_ == PresentPath::Shm) {
            shm_.present(surface, picture_, overEachSurface_);
            continue;
        }
        const WindowSurface* windowSurface = find(surface);
        if (!windowSurface || !eglMakeCurrent(display_, windowSurface->eglSurface, windowSurface->eglSurface, context_)) {
            // Nothing is swapped onto it, so its frame callback never comes.
            lacking_.push_back(surface);
            continue;
        }
        picture_.showIn(windowSurface->width, windowSurface->height);
        if (overEachSurface_)
            overEachSurface_(windowSurface->width, windowSurface->height);
        eglSwapBuffers(display_, windowSurface->eglSurface);
    }
    showNext_.clear();
    picture_.bindForDrawing();
}

WaylandEglContext::WindowSurface* WaylandEglContext::find(const wl_surface* surface)
{
    for (WindowSurface& windowSurface : windowSurfaces_)
        if (windowSurface.surface == surface)
            return &windowSurface;
    return nullptr;
}

void WaylandEglContext::release(WindowSurface& windowSurface)
{
    if (windowSurface.eglSurface)
        eglDestroySurface(display_, windowSurface.eglSurface);
    if (windowSurface.window)
        wl_egl_window_destroy(windowSurface.window);
    windowSurface.eglSurface = nullptr;
    windowSurface.window = nullptr;
}

void WaylandEglContext::destroy()
{
    if (!display_)
        return;
    if (context_) {
        shm_.destroy();
        picture_.destroy();
    }
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    for (WindowSurface& windowSurface : windowSurfaces_)
        release(windowSurface);
    windowSurfaces_.clear();
    showNext_.clear();
    if (context_)
        eglDestroyContext(display_, context_);
    eglTerminate(display_);
    display_ = config_ = context_ = nullptr;
}
