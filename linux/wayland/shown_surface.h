// One surface the saver shows its picture on, as the compositor sees it: its
// role (a layer-shell overlay, an xdg_toplevel or a lock surface), the frame callback it
// waits for, and its size and scale. It is the data of its own listeners;
// WaylandSurfaces (wayland_window.h) makes and destroys it.
#pragma once

#include <vector>

struct wl_surface;
struct wl_callback;
struct zwlr_layer_surface_v1;
struct ext_session_lock_surface_v1;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;
struct WaylandOutput;
class WaylandSurfaces;

struct ShownSurface {
    WaylandSurfaces* owner = nullptr;
    wl_surface* surface = nullptr;
    const WaylandOutput* output = nullptr; // full screen: the output it covers, which owns it
    zwlr_layer_surface_v1* layer = nullptr;
    ext_session_lock_surface_v1* lockSurface = nullptr;
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
