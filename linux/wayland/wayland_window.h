// The surfaces the saver shows its picture on. Full screen: one per output,
// a layer-shell overlay (every edge anchored, the keyboard exclusive, over
// the panels) where the compositor has the layer shell, else a full-screen
// xdg_toplevel on that output; made as an output appears, dropped as it
// goes. In a window: one xdg_toplevel, "Cascade", resizable, decorated by
// the compositor where it offers xdg-decoration. Each surface knows its size
// in buffer pixels and whether the compositor wants a new frame (its last
// frame callback came). GL lives elsewhere (wayland_egl_context.*).
#pragma once

#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_outputs.h"

#include <functional>
#include <memory>
#include <vector>

struct wl_surface;
struct wl_callback;
struct zwlr_layer_surface_v1;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;

class WaylandSurfaces;

struct ShownSurface {
    WaylandSurfaces* owner = nullptr;
    wl_surface* surface = nullptr;
    const WaylandOutput* output = nullptr; // full screen: the output it covers
    zwlr_layer_surface_v1* layer = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    zxdg_toplevel_decoration_v1* decoration = nullptr;
    wl_callback* frameCallback = nullptr;
    std::vector<const WaylandOutput*> enteredOutputs; // a window's scale follows them
    int width = 0;  // in surface units, as configured
    int height = 0;
    int scale = 1;  // buffer pixels per surface unit
    int appliedScale = 1; // the buffer scale last sent to the compositor
    int pendingWidth = 0; // a toplevel's size until its xdg_surface configure; 0: ours to choose
    int pendingHeight = 0;
    bool configured = false;
    bool closed = false;

    int pixelWidth() const { return width * scale; }
    int pixelHeight() const { return height * scale; }
    // Configured, and no frame of ours waits for the compositor to show it.
    bool wantsFrame() const { return configured && !closed && !frameCallback; }
};

enum class SurfaceMode { Fullscreen, Window };

class WaylandSurfaces {
public:
    using Gone = std::function<void(ShownSurface&)>;

    WaylandSurfaces(WaylandDisplay& display, WaylandOutputs& outputs, SurfaceMode mode);
    WaylandSurfaces(const WaylandSurfaces&) = delete;
    WaylandSurfaces& operator=(const WaylandSurfaces&) = delete;
    ~WaylandSurfaces();

    // Called before a surface is destroyed, so that what draws on it can go
    // first.
    void onGone(Gone gone) { gone_ = std::move(gone); }
    // A window of width x height surface units; full screen follows the
    // outputs from now on.
    void start(int width, int height);
    // Drops the surfaces the compositor closed and brings every scale up to
    // date. A window closed by the compositor asks the saver to end.
    void update();
    // Asks to be told when the compositor wants the surface's next frame;
    // call before the frame is committed.
    void requestFrame(ShownSurface& surface);

    const std::vector<std::unique_ptr<ShownSurface>>& surfaces() const { return surfaces_; }
    bool endRequested() const { return endRequested_; }

    // For the listeners.
    void outputReady(WaylandOutput& output);
    void outputGone(WaylandOutput& output);
    void requestEnd() { endRequested_ = true; }
    WaylandOutputs& outputs() const { return outputs_; }

private:
    ShownSurface& newSurface();
    void makeLayerSurface(ShownSurface& shown, const WaylandOutput& output);
    void makeToplevel(ShownSurface& shown, const WaylandOutput* fullscreenOn);
    void destroy(ShownSurface& shown);

    WaylandDisplay& display_;
    WaylandOutputs& outputs_;
    SurfaceMode mode_;
    std::vector<std::unique_ptr<ShownSurface>> surfaces_;
    Gone gone_;
    bool endRequested_ = false;
};
