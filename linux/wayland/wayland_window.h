// The surfaces the saver shows its picture on, and the outputs they follow.
// Full screen: one per output, owned by the output's record, a layer-shell
// overlay (every edge anchored, the keyboard exclusive, over the panels)
// where the compositor has the layer shell, else a full-screen xdg_toplevel
// on that output; made once the output has sent its state, dropped as it
// goes. In a window: one xdg_toplevel, "Cascade", resizable, decorated by
// the compositor where it offers xdg-decoration, its scale the largest of the
// outputs it is on. Each surface knows its size in buffer pixels and whether
// the compositor wants a new frame (its last frame callback came). Locking,
// each output gets a lock surface as well; the others go once the lock holds
// (lockHeld), so that the desktop never shows between saver and lock. GL
// lives elsewhere (wayland_egl_context.*).
#pragma once

#include "linux/wayland/shown_surface.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_outputs.h"

#include <functional>
#include <memory>
#include <vector>

struct ext_session_lock_v1;

enum class SurfaceMode { Fullscreen, Window };

class WaylandSurfaces final : public WaylandGlobalFollower {
public:
    using Gone = std::function<void(ShownSurface&)>;

    WaylandSurfaces(WaylandDisplay& display, SurfaceMode mode);
    WaylandSurfaces(const WaylandSurfaces&) = delete;
    WaylandSurfaces& operator=(const WaylandSurfaces&) = delete;
    ~WaylandSurfaces() override;

    // The outputs' globals.
    bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) override;
    void globalRemoved(std::uint32_t name) override;

    // Called before a surface is destroyed, so that what draws on it can go
    // first.
    void onGone(Gone gone) { gone_ = std::move(gone); }
    // A window of width x height surface units; full screen follows the
    // outputs from now on.
    void start(int width, int height);
    // Drops the surfaces the compositor closed, covers the outputs that
    // have sent their state and brings every scale up to date. A window
    // closed by the compositor asks the saver to end.
    void update();
    // From now on every output gets a lock surface of lock, as it comes.
    void lockWith(ext_session_lock_v1* lock);
    // The lock holds: the surfaces that are not lock surfaces go.
    void lockHeld();
    // The lock went (unlocked or refused): its surfaces go with it.
    void dropLockSurfaces();
    // Asks to be told when the compositor wants the surface's next frame;
    // call before the frame is committed.
    void requestFrame(ShownSurface& surface);
    // The frame asked for was never committed: the callback will not come,
    // and the surface is due a frame again.
    void forgetFrame(ShownSurface& surface);
    // The same for every surface, with no memory taken: after a pass cut
    // short, a frame asked for may not have been committed.
    void forgetAllFrames();

    // Every surface there is: the window, or one per covered output.
    std::vector<ShownSurface*> surfaces() const;
    // The largest current mode of the outputs known, in pixels; 0 x 0 for
    // none yet.
    void largestOutput(int& width, int& height) const;
    bool endRequested() const { return endRequested_; }

    // For the listeners.
    void requestEnd() { endRequested_ = true; }
    // The record of a wl_output, or null (an output already gone).
    const WaylandOutput* find(const wl_output* output) const;

private:
    void dropClosed();
    void coverOutputs();
    void updateScales();
    void updateScale(ShownSurface& shown);
    std::unique_ptr<ShownSurface> newSurface();
    void makeLayerSurface(ShownSurface& shown, const WaylandOutput& output);
    void makeLockSurface(WaylandOutput& output);
    void makeToplevel(ShownSurface& shown, const WaylandOutput* fullscreenOn);
    void destroy(std::unique_ptr<ShownSurface>& shown);

    WaylandDisplay& display_;
    SurfaceMode mode_;
    bool started_ = false;
    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    std::unique_ptr<ShownSurface> window_;
    ext_session_lock_v1* lock_ = nullptr;
    Gone gone_;
    bool endRequested_ = false;
};
