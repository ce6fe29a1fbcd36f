// The seats' keyboards, pointers and touch screens, and the saver's rules for
// them: full screen, any key, button or touch ends it, and so does pointer
// travel past the limit of front/saver_rules.h from where the pointer first
// appeared on one of its surfaces (the cursor is hidden there); in a window,
// Escape or q ends it. A seat's devices are taken anew whenever its
// capabilities change (a virtual keyboard's come and go with each use).
#pragma once

#include "linux/wayland/wayland_display.h"

#include <memory>
#include <vector>

struct wl_seat;
struct wl_surface;
struct xkb_context;
class WaylandSeat;

enum class InputRules { Fullscreen, Window };

class WaylandInput final : public WaylandGlobalFollower {
public:
    explicit WaylandInput(InputRules rules);
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;
    ~WaylandInput() override;

    bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) override;
    void globalRemoved(std::uint32_t name) override;

    // True once input asked the saver to end.
    bool endRequested() const { return endRequested_; }

    // For the seats' listeners.
    InputRules rules() const { return rules_; }
    xkb_context* keymaps() const { return keymaps_; }
    void requestEnd() { endRequested_ = true; }
    // The pointer came onto surface at surface-local (x, y), in surface
    // units; its first appearance sets the origin the travel is measured
    // from. Motion is on the surface it last came onto.
    void pointerEntered(const wl_surface* surface, double x, double y);
    void pointerMoved(double x, double y);
    // A surface about to be destroyed (its output went): if the pointer's
    // origin was on it, the pointer's next appearance sets a new one, since
    // the compositor, not the user, moves it off a vanished output.
    void surfaceGone(const wl_surface* surface);

private:
    InputRules rules_;
    xkb_context* keymaps_ = nullptr;
    std::vector<std::unique_ptr<WaylandSeat>> seats_;
    bool endRequested_ = false;
    const wl_surface* pointerSurface_ = nullptr;
    bool originSet_ = false;
    const wl_surface* originSurface_ = nullptr;
    double originX_ = 0.0;
    double originY_ = 0.0;
};
