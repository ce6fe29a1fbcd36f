#include "linux/wayland/wayland_display.h"

#include "linux/common/quoted_text.h"

#include "linux/wayland/layer_shell_protocol.h"
#include "ext-session-lock-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <poll.h>

namespace {

// The newest versions of each global whose requests and events this client
// knows; a compositor offering less is bound at its own version.
constexpr std::uint32_t compositorVersion = 4;
constexpr std::uint32_t shmVersion = 1;
constexpr std::uint32_t wmBaseVersion = 2;
constexpr std::uint32_t layerShellVersion = 4;
constexpr std::uint32_t decorationVersion = 1;
constexpr std::uint32_t sessionLockVersion = 1;
// Layer shell v1 lacks nothing the saver asks for but the exclusive keyboard
// (v2 keeps it, v4 names it): below that the keyboard would not be ours.
constexpr std::uint32_t leastLayerShellVersion = 2;

void registryHandleGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version)
{
    static_cast<WaylandDisplay*>(data)->globalAdded(name, interface, version);
}

void registryHandleGlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    static_cast<WaylandDisplay*>(data)->globalRemoved(name);
}

const wl_registry_listener registryListener = {registryHandleGlobal, registryHandleGlobalRemove};

void wmBaseHandlePing(void*, xdg_wm_base* wmBase, std::uint32_t serial) { xdg_wm_base_pong(wmBase, serial); }

const xdg_wm_base_listener wmBaseListener = {wmBaseHandlePing};

template <typename Proxy>
Proxy* bindAt(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t offered,
              std::uint32_t known)
{
    return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, std::min(offered, known)));
}

} // namespace

WaylandDisplay::~WaylandDisplay() { disconnect(); }

bool WaylandDisplay::connect(const std::vector<WaylandGlobalFollower*>& followers, std::string& error,
                             bool x11Allowed)
{
    followers_ = followers;
    display_ = wl_display_connect(nullptr);
    if (!display_) {
        const std::string reason = std::strerror(errno);
        const char* name = std::getenv("WAYLAND_DISPLAY");
        error = "cannot connect to the Wayland compositor " + quoted(name ? name : "wayland-0") + " (" + reason +
                (x11Allowed ? "; -x11 uses the X display instead)" : ")");
        return false;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    if (wl_display_roundtrip(display_) < 0) {
        error = lostText();
        return false;
    }
    if (!compositor_ || (!wmBase_ && !layerShell_)) {
        error = "the Wayland compositor offers no wl_compositor, or neither xdg_wm_base nor the layer shell";
        return false;
    }
    return true;
}

bool WaylandDisplay::roundTrip() { return wl_display_roundtrip(display_) >= 0; }

bool WaylandDisplay::waitForEvents(int timeoutMs)
{
    // The EGL driver reads the socket too (on its own queue): events it read
    // for ours wait in the queue and would not wake the poll.
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0)
            return false;
    // A full socket (EAGAIN) is flushed on the next turn; anything else is a
    // dead connection.
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd connection{wl_display_get_fd(display_), POLLIN, 0};
    const int ready = poll(&connection, 1, timeoutMs);
    if (ready > 0) {
        if (wl_display_read_events(display_) < 0)
            return false;
    } else {
        wl_display_cancel_read(display_);
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

std::string WaylandDisplay::lostText() const
{
    const int code = display_ ? wl_display_get_error(display_) : 0;
    if (code == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t fault = wl_display_get_protocol_error(display_, &interface, &id);
        return "the Wayland compositor reported protocol error " + std::to_string(fault) + " on " +
               (interface ? interface->name : "an unknown object") + "; stopping";
    }
    return "lost the connection to the Wayland compositor; stopping";
}

void WaylandDisplay::globalAdded(std::uint32_t name, const char* interface, std::uint32_t version)
{
    if (bindSingleton(name, interface, version))
        return;
    for (WaylandGlobalFollower* follower : followers_)
        if (follower->globalAdded(registry_, name, interface, version))
            return;
}

void WaylandDisplay::globalRemoved(std::uint32_t name)
{
    for (WaylandGlobalFollower* follower : followers_)
        follower->globalRemoved(name);
}

bool WaylandDisplay::bindSingleton(std::uint32_t name, const char* interface, std::uint32_t version)
{
    const std::string which = interface;
    if (which == wl_compositor_interface.name && !compositor_) {
        compositor_ = bindAt<wl_compositor>(registry_, name, wl_compositor_interface, version, compositorVersion);
    } else if (which == wl_shm_interface.name && !shm_) {
        shm_ = bindAt<wl_shm>(registry_, name, wl_shm_interface, version, shmVersion);
    } else if (which == xdg_wm_base_interface.name && !wmBase_) {
        wmBase_ = bindAt<xdg_wm_base>(registry_, name, xdg_wm_base_interface, version, wmBaseVersion);
        xdg_wm_base_add_listener(wmBase_, &wmBaseListener, nullptr);
    } else if (which == zwlr_layer_shell_v1_interface.name && !layerShell_ && version >= leastLayerShellVersion) {
        layerShell_ =
            bindAt<zwlr_layer_shell_v1>(registry_, name, zwlr_layer_shell_v1_interface, version, layerShellVersion);
    } else if (which == zxdg_decoration_manager_v1_interface.name && !decorations_) {
        decorations_ = bindAt<zxdg_decoration_manager_v1>(registry_, name, zxdg_decoration_manager_v1_interface,
                                                          version, decorationVersion);
    } else if (which == ext_session_lock_manager_v1_interface.name && !sessionLocks_) {
        sessionLocks_ = bindAt<ext_session_lock_manager_v1>(registry_, name, ext_session_lock_manager_v1_interface,
                                                            version, sessionLockVersion);
    } else if (which == wp_viewporter_interface.name && !viewporter_) {
        viewporter_ = bindAt<wp_viewporter>(registry_, name, wp_viewporter_interface, version, 1);
    } else {
        return false;
    }
    return true;
}

void WaylandDisplay::disconnect()
{
    if (!display_)
        return;
    if (decorations_)
        zxdg_decoration_manager_v1_destroy(decorations_);
    if (sessionLocks_)
        ext_session_lock_manager_v1_destroy(sessionLocks_);
    if (viewporter_)
        wp_viewporter_destroy(viewporter_);
    if (layerShell_ && zwlr_layer_shell_v1_get_version(layerShell_) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(layerShell_);
    else if (layerShell_)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell_));
    if (wmBase_)
        xdg_wm_base_destroy(wmBase_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    if (registry_)
        wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
    display_ = nullptr;
    registry_ = nullptr;
    compositor_ = nullptr;
    shm_ = nullptr;
    wmBase_ = nullptr;
    layerShell_ = nullptr;
    decorations_ = nullptr;
    sessionLocks_ = nullptr;
    viewporter_ = nullptr;
}
