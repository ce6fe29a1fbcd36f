#include "linux/wayland/wayland_input.h"

#include "linux/wayland/wayland_seat.h"

#include "front/saver_rules.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// v5 brings release requests for the devices; older seats work without.
constexpr std::uint32_t seatVersion = 5;

} // namespace

WaylandInput::WaylandInput(InputRules rules) : rules_(rules), keymaps_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

WaylandInput::~WaylandInput()
{
    seats_.clear();
    if (keymaps_)
        xkb_context_unref(keymaps_);
}

bool WaylandInput::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
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
    pointerSurface_ = surface;
    if (!originSet_) {
        originSet_ = true;
        originSurface_ = surface;
        originX_ = x;
        originY_ = y;
        return;
    }
    // Each output's surface has coordinates of its own, and Wayland tells a
    // client nothing of where the outputs stand: reaching another output's
    // surface is travel over the edge between them.
    if (surface != originSurface_) {
        requestEnd();
        return;
    }
    pointerMoved(x, y);
}

void WaylandInput::pointerMoved(double x, double y)
{
    if (!pointerSurface_)
        return;
    if (!originSet_) {
        pointerEntered(pointerSurface_, x, y);
        return;
    }
    if (pointerSurface_ != originSurface_)
        return;
    // Whole pixels, as the X11 saver measures: a fraction of a pixel of
    // jitter is no travel.
    if (pointerTravelledPast(static_cast<std::int64_t>(std::floor(originX_)),
                             static_cast<std::int64_t>(std::floor(originY_)), static_cast<std::int64_t>(std::floor(x)),
                             static_cast<std::int64_t>(std::floor(y))))
        requestEnd();
}

void WaylandInput::surfaceGone(const wl_surface* surface)
{
    if (surface == originSurface_)
        originSet_ = false;
    if (surface == pointerSurface_)
        pointerSurface_ = nullptr;
}
