// The seats, bound as the compositor announces them and released as they go,
// and what they share: the keymaps' context and the relative pointer manager.
// What the seats report goes to the saver's rules (input_rules.h). A seat's
// devices are taken anew whenever its capabilities change (a virtual
// keyboard's come and go with each use).
#pragma once

#include "linux/wayland/input_rules.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_seat.h"

#include <memory>
#include <vector>

class WaylandInput final : public WaylandGlobalFollower {
public:
    explicit WaylandInput(InputRules& rules);
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;
    ~WaylandInput() override;

    bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) override;
    void globalRemoved(std::uint32_t name) override;

    // Loads the locale's compose table, for keys that type text (the lock's
    // prompt): before the lock, where a lack of memory can still refuse it.
    // False where the locale has none; keys then type their own text.
    bool prepareTyping();
    // Hands on the held keys' repeats due by now.
    void repeatKeys(KeyTyping::Clock::time_point now);
    // How long until the next repeat, at most limitMs (-1: no limit).
    int repeatWaitLimitMs(KeyTyping::Clock::time_point now, int limitMs) const;

private:
    InputRules& rules_;
    SeatShared shared_;
    std::vector<std::unique_ptr<WaylandSeat>> seats_;
};
