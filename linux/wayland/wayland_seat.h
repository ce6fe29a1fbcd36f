// One wl_seat and the devices it offers now: the keyboard (with its keymap:
// the window's Escape and q, and what keys type into the lock's prompt,
// key_typing.h), the pointer (with its relative motion, where
// the compositor offers it) and the touch screen. What they report goes to
// the saver's rules (input_rules.h).
#pragma once

#include "linux/wayland/input_rules.h"
#include "linux/wayland/key_typing.h"

#include <cstdint>

struct wl_seat;
struct wl_keyboard;
struct wl_pointer;
struct wl_touch;
struct zwp_relative_pointer_v1;
struct xkb_context;
struct xkb_compose_table;
struct zwp_relative_pointer_manager_v1;

// What every seat uses, held by whoever binds the seats.
struct SeatShared {
    xkb_context* keymaps = nullptr;
    // The locale's compose table, once typing is prepared for (the lock).
    xkb_compose_table* compose = nullptr;
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
    // Takes the shared compose table, made after this seat's keymap.
    void takeComposeTable();
    // Hands on the held key's repeats due by now, and says when the next is.
    void repeatKeys(KeyTyping::Clock::time_point now);
    bool nextRepeat(KeyTyping::Clock::time_point& when) const;

    // For the listeners.
    void capabilitiesChanged(std::uint32_t capabilities);
    void keymapChanged(int fd, std::uint32_t size);
    void keyPressed(std::uint32_t key);
    void keyReleased(std::uint32_t key);
    void keyboardLeft();
    void repeatChanged(std::int32_t rate, std::int32_t delayMs);
    void modifiersChanged(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                          std::uint32_t group);

private:
    void releaseKeyboard();
    void releasePointer();
    void releaseTouch();
    void reportKeyboard();

    InputRules& rules_;
    const SeatShared& shared_;
    wl_seat* seat_;
    std::uint32_t globalName_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    zwp_relative_pointer_v1* relativePointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    KeyTyping typing_;
};
