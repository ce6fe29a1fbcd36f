// One wl_seat and the devices it offers now: the keyboard (with its keymap,
// for the window's Escape and q), the pointer (with its relative motion, where
// the compositor offers it) and the touch screen. What they report goes to
// the saver's rules (input_rules.h).
#pragma once

#include "linux/wayland/input_rules.h"

#include <cstdint>

struct wl_seat;
struct wl_keyboard;
struct wl_pointer;
struct wl_touch;
struct zwp_relative_pointer_v1;
struct xkb_keymap;
struct xkb_state;
struct xkb_context;
struct zwp_relative_pointer_manager_v1;

// What every seat uses, held by whoever binds the seats.
struct SeatShared {
    xkb_context* keymaps = nullptr;
    // Null where the compositor does not report the device's own motion; it
    // may be announced after the seats.
    zwp_relative_pointer_manager_v1* relativePointers = nullptr;
};

class WaylandSeat {
public:
    WaylandSeat(InputRules& rules, const SeatShared& shared, wl_seat* seat, std::uint32_t globalName);
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;
    ~WaylandSeat();

    std::uint32_t globalName() const { return globalName_; }
    InputRules& rules() const { return rules_; }
    // Gives the pointer its relative pointer, where the compositor offers
    // them and it has none yet; also called when they came after this seat.
    void takeRelativePointer();

    // For the listeners.
    void capabilitiesChanged(std::uint32_t capabilities);
    void keymapChanged(int fd, std::uint32_t size);
    void keyPressed(std::uint32_t key);
    void modifiersChanged(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                          std::uint32_t group);

private:
    void releaseKeyboard();
    void releasePointer();
    void releaseTouch();
    void releaseKeymap();

    InputRules& rules_;
    const SeatShared& shared_;
    wl_seat* seat_;
    std::uint32_t globalName_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    zwp_relative_pointer_v1* relativePointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;
};
