// The seats' keyboards, pointers and touch screens, and the saver's rules for
// them: full screen, any key, button or touch ends it, and so does pointer
// travel past the limit of front/saver_rules.h (pointer_travel.h; the cursor
// is hidden over the saver); in a window, Escape or q ends it. A seat's devices are taken anew whenever its
// capabilities change (a virtual keyboard's come and go with each use).
#pragma once

#include "linux/wayland/pointer_travel.h"
#include "linux/wayland/wayland_display.h"

#include <memory>
#include <vector>

struct wl_seat;
struct wl_surface;
struct xkb_context;
struct zwp_relative_pointer_manager_v1;
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
    // Null where the compositor does not report the device's own motion.
    zwp_relative_pointer_manager_v1* relativePointers() const { return relativePointers_; }
    void requestEnd() { endRequested_ = true; }
    // The pointer's travel, as PointerTravel takes it.
    void pointerEntered(const wl_surface* surface, double x, double y);
    void pointerMoved(double x, double y);
    void pointerMovedByDevice(double dx, double dy);
    void surfaceGone(const wl_surface* surface);

private:
    InputRules rules_;
    xkb_context* keymaps_ = nullptr;
    zwp_relative_pointer_manager_v1* relativePointers_ = nullptr;
    std::vector<std::unique_ptr<WaylandSeat>> seats_;
    bool endRequested_ = false;
    PointerTravel travel_;
};
