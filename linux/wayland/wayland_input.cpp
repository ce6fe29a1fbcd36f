#include "linux/wayland/wayland_input.h"

#include "linux/wayland/wayland_seat.h"

#include "relative-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstring>

namespace {

// v5 brings release requests for the devices; older seats work without.
constexpr std::uint32_t seatVersion = 5;

} // namespace

WaylandInput::WaylandInput(InputRules rules) : rules_(rules), keymaps_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

WaylandInput::~WaylandInput()
{
    seats_.clear();
    if (relativePointers_)
        zwp_relative_pointer_manager_v1_destroy(relativePointers_);
    if (keymaps_)
        xkb_context_unref(keymaps_);
}

bool WaylandInput::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
    if (std::strcmp(interface, zwp_relative_pointer_manager_v1_interface.name) == 0) {
        if (relativePointers_)
            return true;
        relativePointers_ = static_cast<zwp_relative_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_relative_pointer_manager_v1_interface, 1));
        travel_.countDeviceMotion();
        // Announced after a seat, it still reaches that seat's pointer.
        for (auto& seat : seats_)
            seat->takeRelativePointer();
        return true;
    }
    if (std::strcmp(interface, wl_seat_interface.name) != 0)
        return false;
    auto* seat =
        static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, seatVersion)));
    seats_.push_back(std::make_unique<WaylandSeat>(*this, seat, name));
    return true;
}

void WaylandInput::globalRemoved(std::uint32_t name)
{
    seats_.erase(std::remove_if(seats_.begin(), seats_.end(),
                                [&](const std::unique_ptr<WaylandSeat>& seat) { return seat->globalName() == name; }),
                 seats_.end());
}

void WaylandInput::pointerEntered(const wl_surface* surface, double x, double y)
{
    if (travel_.entered(surface, x, y))
        requestEnd();
}

void WaylandInput::pointerMoved(double x, double y)
{
    if (travel_.moved(x, y))
        requestEnd();
}

void WaylandInput::pointerMovedByDevice(double dx, double dy)
{
    if (travel_.deviceMoved(dx, dy))
        requestEnd();
}

void WaylandInput::surfaceGone(const wl_surface* surface) { travel_.surfaceGone(surface); }
