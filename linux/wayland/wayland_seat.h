// One wl_seat and the devices it offers now: the keyboard (with its keymap,
// for the window's Escape and q), the pointer (with its relative motion, where
// the compositor offers it) and the touch screen. Their
// events go to WaylandInput, which holds the rules.
#pragma once

#include <cstdint>

struct wl_seat;
struct wl_keyboard;
struct wl_pointer;
struct wl_touch;
struct zwp_relative_pointer_v1;
struct xkb_keymap;
struct xkb_state;
class WaylandInput;

class WaylandSeat {
public:
    WaylandSeat(WaylandInput& input, wl_seat* seat, std::uint32_t globalName);
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;
    ~WaylandSeat();

    std::uint32_t globalName() const { return globalName_; }
    WaylandInput& input() const { return input_; }
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

    WaylandInput& input_;
    wl_seat* seat_;
    std::uint32_t globalName_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    zwp_relative_pointer_v1* relativePointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;
};
