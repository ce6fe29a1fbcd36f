// The saver's desktop-GL context on a Wayland compositor, through EGL's
// Wayland platform. Follows the contract in front/gl_context.h, with what
// Wayland does differently:
// - One context, several surfaces: one EGL window surface per surface the
//   saver shows (an output each when full screen), made, resized and
//   dropped as they come and go, and made current in turn to be shown.
// - The scene draws into a picture of its own (picture_buffer.h), not into
//   a window's back buffer, which Wayland EGL does not keep from frame to
//   frame. swapBuffers() copies the picture into the surfaces named by
//   showNextOn() and swaps each; the others keep their last frame. Where GL
//   draws in software the surfaces get no EGL surface: the picture is read
//   into shared memory instead (present_path.h, shm_presenter.h).
// - Swaps never wait (setSwapInterval(0) is the only sensible request): the
//   compositor paces the saver through frame callbacks instead, and a swap
//   that waits would block the whole saver on a hidden output.
// - The window buffers carry no alpha: the compositor must not see through
//   the picture, whatever the scene leaves in its alpha channel.
#pragma once

#include "linux/wayland/picture_buffer.h"
#include "linux/wayland/present_path.h"
#include "linux/wayland/shm_presenter.h"

#include "front/gl_context.h"
#include "front/pixel_format.h"

#include <functional>
#include <string>
#include <vector>

struct wl_display;
struct wl_shm;
struct wl_surface;
struct wl_egl_window;
struct wp_viewporter;

class WaylandEglContext final : public GLContext {
public:
    WaylandEglContext() = default;
    ~WaylandEglContext() override;

    // A context on the compositor's display, current with no surface, and
    // a 1x1 picture bound for drawing; shm, the compositor's shared memory
    // (null where it offers none), for the software path.
    // viewporter, where the compositor has one, lets frames that cannot be
    // made at a surface's size be shown smaller, scaled.
    bool create(wl_display* display, wl_shm* shm, wp_viewporter* viewporter, const FramebufferFormat& format,
                std::string& error);
    PresentPath presentPath() const { return path_; }

    // Shows on surface from now on, in buffers of width x height pixels,
    // scale pixels to its unit (made on the first call, resized on a later
    // one).
    bool showOn(wl_surface* surface, int width, int height, int scale, std::string& error);
    // True once where the last swap could show nothing on surface, which
    // never had a frame: its frame callback will not come.
    bool takeLackingFrame(wl_surface* surface);
    // Drops the EGL surface of a surface about to be destroyed.
    void forget(wl_surface* surface);
    // The surfaces the next swapBuffers() shows the picture on.
    void showNextOn(const std::vector<wl_surface*>& surfaces) { showNext_ = surfaces; }
    // The picture's size, or a smaller one of the same shape where GL or
    // memory will not give that; what it held is carried over, scaled.
    bool setPictureSize(int width, int height, std::string& error);
    int pictureWidth() const { return picture_.width(); }
    int pictureHeight() const { return picture_.height(); }
    // Drawn over the picture on each surface it is shown on, given the
    // surface's size in pixels (-fps); empty for nothing.
    void drawOverEachSurface(std::function<void(int, int)> draw) { overEachSurface_ = std::move(draw); }
    // Where GL can make no frame at all for a surface, on the software path,
    // a black one with paint's drawing (given the frame's size) instead;
    // empty: the surface keeps its last frame.
    void paintOverWhereGlFails(std::function<void(QuadSink&, int, int)> paint)
    {
        shm_.paintOverWhereGlFails(std::move(paint));
    }
    // The picture and over drawn on it, shown once where no surface sees
    // it: what GL needs for a frame is had now, where a lack of it can
    // still be said. False, with error set, where it is not.
    bool rehearseFrame(const std::function<void(int, int)>& over, std::string& error);

    bool setSwapInterval(int refreshesPerSwap) override;
    void swapBuffers() override;
    void destroy() override;

private:
    // A surface the picture is shown on: the wl_egl_window made for it and
    // the EGL window surface on that, at its size in pixels.
    struct WindowSurface {
        wl_surface* surface = nullptr;
        wl_egl_window* window = nullptr;
        void* eglSurface = nullptr;
        int width = 0;
        int height = 0;
    };

    bool openCompositorDisplay(wl_display* display, std::string& error);
    bool chooseConfig(std::string& error);
    bool makeContext(const FramebufferFormat& format, std::string& error);
    void choosePath(const FramebufferFunctions& functions, const FramebufferFormat& format, wl_shm* shm);
    bool makeWindowSurface(WindowSurface& windowSurface, std::string& error);
    WindowSurface* find(const wl_surface* surface);
    void release(WindowSurface& windowSurface);

    void* display_ = nullptr;
    wl_shm* shmGlobal_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    void* config_ = nullptr;
    void* context_ = nullptr;
    int swapInterval_ = 0;
    PictureBuffer picture_;
    PresentPath path_ = PresentPath::Egl;
    ShmPresenter shm_;
    std::vector<WindowSurface> windowSurfaces_;
    std::vector<wl_surface*> showNext_;
    std::vector<wl_surface*> lacking_; // shown nothing by the last swap
    std::function<void(int, int)> overEachSurface_;
};
