// The connection to the Wayland compositor: the registry, the globals the
// saver binds once (compositor, shared memory, xdg_wm_base, layer shell,
// decoration manager), and the wait for events. Outputs and seats come and go while the
// saver runs, so their globals are handed on to whoever follows them
// (WaylandSurfaces, WaylandInput). A lost connection is reported here, once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_decoration_manager_v1;
struct ext_session_lock_manager_v1;

// Told of every global of an interface it follows, as it appears and goes.
class WaylandGlobalFollower {
public:
    virtual ~WaylandGlobalFollower() = default;
    // False when the interface is not one it follows.
    virtual bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                             std::uint32_t version) = 0;
    virtual void globalRemoved(std::uint32_t name) = 0;
};

class WaylandDisplay {
public:
    WaylandDisplay() = default;
    WaylandDisplay(const WaylandDisplay&) = delete;
    WaylandDisplay& operator=(const WaylandDisplay&) = delete;
    ~WaylandDisplay();

    // Connects to $WAYLAND_DISPLAY (wayland-0 when unset) and binds the
    // globals; followers added before see the outputs and seats of the first
    // round trip. False with error set when there is no compositor or it
    // lacks xdg_wm_base and the layer shell both, or wl_compositor. Where
    // the caller's run may take X11 instead, a missing compositor says so.
    bool connect(const std::vector<WaylandGlobalFollower*>& followers, std::string& error,
                 bool x11Allowed = false);
    // One more round trip, so that what the first one bound has sent its
    // state. False once the connection is lost.
    bool roundTrip();
    // Handles queued events, waits at most timeoutMs (-1: until one comes)
    // for more and handles those. False once the connection is lost.
    bool waitForEvents(int timeoutMs);
    // The line to print when a call above returned false.
    std::string lostText() const;
    void disconnect();

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    xdg_wm_base* wmBase() const { return wmBase_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    zxdg_decoration_manager_v1* decorations() const { return decorations_; }
    // Null where the compositor cannot scale a buffer to its surface.
    wp_viewporter* viewporter() const { return viewporter_; }
    // Null where the compositor cannot be locked by a client.
    ext_session_lock_manager_v1* sessionLocks() const { return sessionLocks_; }

    // For the registry's listener.
    void globalAdded(std::uint32_t name, const char* interface, std::uint32_t version);
    void globalRemoved(std::uint32_t name);

private:
    bool bindSingleton(std::uint32_t name, const char* interface, std::uint32_t version);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    zxdg_decoration_manager_v1* decorations_ = nullptr;
    ext_session_lock_manager_v1* sessionLocks_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    std::vector<WaylandGlobalFollower*> followers_;
};
