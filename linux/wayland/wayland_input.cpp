#include "linux/wayland/wayland_input.h"

#include "linux/wayland/wait_limit.h"

#include "relative-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstring>

namespace {

// v5 brings release requests for the devices; older seats work without.
constexpr std::uint32_t seatVersion = 5;

} // namespace

WaylandInput::WaylandInput(InputRules& rules) : rules_(rules)
{
    shared_.keymaps = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
}

WaylandInput::~WaylandInput()
{
    seats_.clear();
    if (shared_.compose)
        xkb_compose_table_unref(shared_.compose);
    if (shared_.relativePointers)
        zwp_relative_pointer_manager_v1_destroy(shared_.relativePointers);
    if (shared_.keymaps)
        xkb_context_unref(shared_.keymaps);
}

bool WaylandInput::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
    if (std::strcmp(interface, zwp_relative_pointer_manager_v1_interface.name) == 0) {
        if (shared_.relativePointers)
            return true;
        shared_.relativePointers = static_cast<zwp_relative_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_relative_pointer_manager_v1_interface, 1));
        rules_.countDeviceMotion();
        // Announced after a seat, it still reaches that seat's pointer.
        for (auto& seat : seats_)
            seat->takeRelativePointer();
        return true;
    }
    if (std::strcmp(interface, wl_seat_interface.name) != 0)
        return false;
    auto* seat =
        static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, seatVersion)));
    seats_.push_back(std::make_unique<WaylandSeat>(rules_, shared_, seat, name));
    return true;
}

void WaylandInput::globalRemoved(std::uint32_t name)
{
    seats_.erase(std::remove_if(seats_.begin(), seats_.end(),
                                [&](const std::unique_ptr<WaylandSeat>& seat) { return seat->globalName() == name; }),
                 seats_.end());
}

bool WaylandInput::prepareTyping()
{
    if (!shared_.compose && shared_.keymaps)
        shared_.compose = composeTableForLocale(shared_.keymaps);
    for (auto& seat : seats_)
        seat->takeComposeTable();
    return shared_.compose != nullptr;
}

void WaylandInput::repeatKeys(KeyTyping::Clock::time_point now)
{
    for (auto& seat : seats_)
        seat->repeatKeys(now);
}

int WaylandInput::repeatWaitLimitMs(KeyTyping::Clock::time_point now, int limitMs) const
{
    for (const auto& seat : seats_) {
        KeyTyping::Clock::time_point when;
        if (!seat->nextRepeat(when))
            continue;
        limitMs = soonerLimitMs(limitMs, millisecondsUntil(when, now));
    }
    return limitMs;
}
