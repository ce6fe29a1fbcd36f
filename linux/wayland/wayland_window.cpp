#include "linux/wayland/wayland_window.h"

#include "linux/wayland/layer_shell_protocol.h"
#include "ext-session-lock-v1-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace {

// What the compositor shows in task lists and uses for its rules.
constexpr const char* windowTitle = "Cascade";
constexpr const char* applicationId = "cascade";
constexpr const char* layerNamespace = "cascade";
// Every edge: the surface takes the whole output.
constexpr std::uint32_t allEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
// -1: laid over the panels' exclusive zones instead of beside them.
constexpr std::int32_t overPanels = -1;
// "Exclusive" in v4's words; v2 and v3 call the same value "true".
constexpr std::uint32_t exclusiveKeyboard = 1;

ShownSurface& shownOf(void* data) { return *static_cast<ShownSurface*>(data); }

void surfaceHandleEnter(void* data, wl_surface*, wl_output* output)
{
    ShownSurface& shown = shownOf(data);
    if (const WaylandOutput* entered = shown.owner->find(output))
        shown.enteredOutputs.push_back(entered);
}

void surfaceHandleLeave(void* data, wl_surface*, wl_output* output)
{
    ShownSurface& shown = shownOf(data);
    const WaylandOutput* left = shown.owner->find(output);
    shown.enteredOutputs.erase(std::remove(shown.enteredOutputs.begin(), shown.enteredOutputs.end(), left),
                               shown.enteredOutputs.end());
}

const wl_surface_listener surfaceListener = {surfaceHandleEnter, surfaceHandleLeave};

// A layer or lock surface's size, as its configure gives it: 0 x 0 leaves it
// unconfigured.
void takeConfiguredSize(ShownSurface& shown, std::uint32_t width, std::uint32_t height)
{
    shown.width = static_cast<int>(width);
    shown.height = static_cast<int>(height);
    shown.configured = shown.width > 0 && shown.height > 0;
}

void layerSurfaceHandleConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                                 std::uint32_t height)
{
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    takeConfiguredSize(shownOf(data), width, height);
}

void layerSurfaceHandleClosed(void* data, zwlr_layer_surface_v1*) { shownOf(data).closed = true; }

const zwlr_layer_surface_v1_listener layerListener = {layerSurfaceHandleConfigure, layerSurfaceHandleClosed};

// Its size is the output's, and must be met exactly by the next commit: the
// frame drawn next is made at it.
void lockSurfaceHandleConfigure(void* data, ext_session_lock_surface_v1* lock, std::uint32_t serial,
                                std::uint32_t width, std::uint32_t height)
{
    ext_session_lock_surface_v1_ack_configure(lock, serial);
    takeConfiguredSize(shownOf(data), width, height);
}

const ext_session_lock_surface_v1_listener lockSurfaceListener = {lockSurfaceHandleConfigure};

void xdgSurfaceHandleConfigure(void* data, xdg_surface* surface, std::uint32_t serial)
{
    ShownSurface& shown = shownOf(data);
    xdg_surface_ack_configure(surface, serial);
    if (shown.pendingWidth > 0 && shown.pendingHeight > 0) {
        shown.width = shown.pendingWidth;
        shown.height = shown.pendingHeight;
    } else if (shown.output && shown.width == 0) {
        // A full-screen toplevel's first configure may leave the size to us
        // (sway's does, until it is mapped): the output's, in surface units.
        shown.width = shown.output->pixelWidth / shown.output->scale;
        shown.height = shown.output->pixelHeight / shown.output->scale;
    }
    shown.configured = shown.width > 0 && shown.height > 0;
}

const xdg_surface_listener xdgSurfaceListener = {xdgSurfaceHandleConfigure};

void xdgToplevelHandleConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*)
{
    // 0 x 0 leaves the size to us: the one we have.
    ShownSurface& shown = shownOf(data);
    shown.pendingWidth = width;
    shown.pendingHeight = height;
}

// The window's close button, or the compositor's own close of a full-screen
// toplevel: either way someone asked the saver to go.
void xdgToplevelHandleClose(void* data, xdg_toplevel*) { shownOf(data).owner->requestEnd(); }

void xdgToplevelHandleConfigureBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void xdgToplevelHandleWmCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener toplevelListener = {xdgToplevelHandleConfigure, xdgToplevelHandleClose,
                                                xdgToplevelHandleConfigureBounds, xdgToplevelHandleWmCapabilities};

void frameCallbackHandleDone(void* data, wl_callback* callback, std::uint32_t)
{
    ShownSurface& shown = shownOf(data);
    wl_callback_destroy(callback);
    if (shown.frameCallback == callback)
        shown.frameCallback = nullptr;
}

const wl_callback_listener frameListener = {frameCallbackHandleDone};

} // namespace

WaylandSurfaces::WaylandSurfaces(WaylandDisplay& display, SurfaceMode mode) : display_(display), mode_(mode) {}

WaylandSurfaces::~WaylandSurfaces()
{
    destroy(window_);
    for (std::size_t i = outputs_.size(); i-- > 0;) {
        destroy(outputs_[i]->shown);
        destroy(outputs_[i]->lockShown);
    }
    while (!outputs_.empty())
        outputs_.pop_back();
}

bool WaylandSurfaces::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                                  std::uint32_t version)
{
    if (std::strcmp(interface, wl_output_interface.name) != 0)
        return false;
    if (outputVersionUsable(version))
        outputs_.push_back(std::make_unique<WaylandOutput>(registry, name, version));
    return true;
}

void WaylandSurfaces::globalRemoved(std::uint32_t name)
{
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(), [&](const std::unique_ptr<WaylandOutput>& output) {
        return output->globalName == name;
    });
    if (gone == outputs_.end())
        return;
    // Its surface goes with it, and no other surface follows its scale.
    for (ShownSurface* shown : surfaces()) {
        std::vector<const WaylandOutput*>& entered = shown->enteredOutputs;
        entered.erase(std::remove(entered.begin(), entered.end(), gone->get()), entered.end());
    }
    if ((*gone)->shown)
        (*gone)->shown->closed = true;
    // A lock surface must go with its output, or the compositor would keep
    // it for an output that is no more.
    destroy((*gone)->lockShown);
    dropClosed();
    updateScales();
    outputs_.erase(gone);
}

const WaylandOutput* WaylandSurfaces::find(const wl_output* output) const
{
    for (const auto& entry : outputs_)
        if (entry->output == output)
            return entry.get();
    return nullptr;
}

std::vector<ShownSurface*> WaylandSurfaces::surfaces() const
{
    std::vector<ShownSurface*> all;
    if (window_)
        all.push_back(window_.get());
    for (const auto& output : outputs_) {
        if (output->shown)
            all.push_back(output->shown.get());
        if (output->lockShown)
            all.push_back(output->lockShown.get());
    }
    return all;
}

void WaylandSurfaces::start(int width, int height)
{
    started_ = true;
    if (mode_ != SurfaceMode::Window)
        return;
    window_ = newSurface();
    window_->width = width;
    window_->height = height;
    makeToplevel(*window_, nullptr);
}

void WaylandSurfaces::update()
{
    dropClosed();
    coverOutputs();
    updateScales();
}

void WaylandSurfaces::dropClosed()
{
    if (window_ && window_->closed)
        destroy(window_);
    for (std::size_t i = outputs_.size(); i-- > 0;)
        if (outputs_[i]->shown && outputs_[i]->shown->closed)
            destroy(outputs_[i]->shown);
}

// Full screen, each output gets its surface once it has sent its state; an
// output that comes while locking, only its lock surface.
void WaylandSurfaces::coverOutputs()
{
    if (mode_ != SurfaceMode::Fullscreen || !started_)
        return;
    for (auto& output : outputs_) {
        if (!output->stateSent)
            continue;
        if (lock_ && !output->lockCovered)
            makeLockSurface(*output);
        if (lock_ || output->covered)
            continue;
        output->covered = true;
        output->shown = newSurface();
        output->shown->output = output.get();
        if (display_.layerShell())
            makeLayerSurface(*output->shown, *output);
        else
            makeToplevel(*output->shown, output.get());
    }
}

void WaylandSurfaces::updateScales()
{
    for (ShownSurface* shown : surfaces())
        updateScale(*shown);
}

void WaylandSurfaces::updateScale(ShownSurface& shown)
{
    int scale = 1;
    if (shown.output)
        scale = shown.output->scale;
    for (const WaylandOutput* output : shown.enteredOutputs)
        scale = std::max(scale, output->scale);
    // A compositor too old to take a buffer scale gets buffers at 1x.
    if (wl_surface_get_version(shown.surface) < WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        scale = 1;
    shown.scale = scale;
    // Sent now, committed with the next frame's buffer, which the EGL
    // window makes at the new size: the two always arrive together.
    if (scale != shown.appliedScale) {
        wl_surface_set_buffer_scale(shown.surface, scale);
        shown.appliedScale = scale;
    }
}

void WaylandSurfaces::requestFrame(ShownSurface& shown)
{
    shown.frameCallback = wl_surface_frame(shown.surface);
    wl_callback_add_listener(shown.frameCallback, &frameListener, &shown);
}

void WaylandSurfaces::largestOutput(int& width, int& height) const
{
    width = 0;
    height = 0;
    for (const auto& output : outputs_)
        if (static_cast<long long>(output->pixelWidth) * output->pixelHeight > static_cast<long long>(width) * height) {
            width = output->pixelWidth;
            height = output->pixelHeight;
        }
}

void WaylandSurfaces::forgetFrame(ShownSurface& shown)
{
    if (shown.frameCallback)
        wl_callback_destroy(shown.frameCallback);
    shown.frameCallback = nullptr;
}

void WaylandSurfaces::forgetAllFrames()
{
    if (window_)
        forgetFrame(*window_);
    for (const auto& output : outputs_) {
        if (output->shown)
            forgetFrame(*output->shown);
        if (output->lockShown)
            forgetFrame(*output->lockShown);
    }
}

std::unique_ptr<ShownSurface> WaylandSurfaces::newSurface()
{
    auto shown = std::make_unique<ShownSurface>();
    shown->owner = this;
    shown->surface = wl_compositor_create_surface(display_.compositor());
    wl_surface_add_listener(shown->surface, &surfaceListener, shown.get());
    return shown;
}

void WaylandSurfaces::makeLayerSurface(ShownSurface& shown, const WaylandOutput& output)
{
    shown.layer = zwlr_layer_shell_v1_get_layer_surface(display_.layerShell(), shown.surface, output.output,
                                                        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, layerNamespace);
    zwlr_layer_surface_v1_add_listener(shown.layer, &layerListener, &shown);
    zwlr_layer_surface_v1_set_anchor(shown.layer, allEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(shown.layer, overPanels);
    zwlr_layer_surface_v1_set_keyboard_interactivity(shown.layer, exclusiveKeyboard);
    // The first commit carries no buffer: it asks for the configure.
    wl_surface_commit(shown.surface);
}

void WaylandSurfaces::lockWith(ext_session_lock_v1* lock)
{
    lock_ = lock;
    coverOutputs();
}

void WaylandSurfaces::lockHeld()
{
    for (auto& output : outputs_)
        destroy(output->shown);
}

void WaylandSurfaces::dropLockSurfaces()
{
    for (auto& output : outputs_)
        destroy(output->lockShown);
    lock_ = nullptr;
}

void WaylandSurfaces::makeLockSurface(WaylandOutput& output)
{
    output.lockCovered = true;
    output.lockShown = newSurface();
    ShownSurface& shown = *output.lockShown;
    shown.output = &output;
    shown.lockSurface = ext_session_lock_v1_get_lock_surface(lock_, shown.surface, output.output);
    ext_session_lock_surface_v1_add_listener(shown.lockSurface, &lockSurfaceListener, &shown);
}

void WaylandSurfaces::makeToplevel(ShownSurface& shown, const WaylandOutput* fullscreenOn)
{
    shown.xdgSurface = xdg_wm_base_get_xdg_surface(display_.wmBase(), shown.surface);
    xdg_surface_add_listener(shown.xdgSurface, &xdgSurfaceListener, &shown);
    shown.toplevel = xdg_surface_get_toplevel(shown.xdgSurface);
    xdg_toplevel_add_listener(shown.toplevel, &toplevelListener, &shown);
    xdg_toplevel_set_title(shown.toplevel, windowTitle);
    xdg_toplevel_set_app_id(shown.toplevel, applicationId);
    if (fullscreenOn)
        xdg_toplevel_set_fullscreen(shown.toplevel, fullscreenOn->output);
    else if (display_.decorations()) {
        shown.decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(display_.decorations(), shown.toplevel);
        zxdg_toplevel_decoration_v1_set_mode(shown.decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    wl_surface_commit(shown.surface);
}

void WaylandSurfaces::destroy(std::unique_ptr<ShownSurface>& owned)
{
    if (!owned)
        return;
    ShownSurface& shown = *owned;
    if (gone_)
        gone_(shown);
    if (shown.frameCallback)
        wl_callback_destroy(shown.frameCallback);
    if (shown.decoration)
        zxdg_toplevel_decoration_v1_destroy(shown.decoration);
    if (shown.toplevel)
        xdg_toplevel_destroy(shown.toplevel);
    if (shown.xdgSurface)
        xdg_surface_destroy(shown.xdgSurface);
    if (shown.layer)
        zwlr_layer_surface_v1_destroy(shown.layer);
    if (shown.lockSurface)
        ext_session_lock_surface_v1_destroy(shown.lockSurface);
    wl_surface_destroy(shown.surface);
    owned.reset();
}
