// The saver's rules for Wayland input, apart from the devices that report it
// (wayland_seat.h): full screen, any key, button, wheel turn or touch ends it,
// and so does pointer travel past the limit of front/saver_rules.h
// (pointer_travel.h); in a window, only Escape or q does. No Wayland here:
// the seats tell what happened, the rules say whether it ends the saver.
#pragma once

#include "linux/wayland/key_typing.h"
#include "linux/wayland/locked_input.h"
#include "linux/wayland/pointer_travel.h"

#include <cstdint>

class InputRules {
public:
    enum class Mode { Fullscreen, Window };

    explicit InputRules(Mode mode) : mode_(mode) {}

    // A full-screen saver takes the pointer over its surfaces, and hides it.
    bool takesPointer() const { return mode_ == Mode::Fullscreen; }
    // True once input asked the saver to end.
    bool endRequested() const { return endRequested_; }
    // From now on input goes to locked, and ends nothing; null gives it
    // back to the saver's rules. locked is told the keyboard's state at once.
    void lockTo(LockedInput* locked);
    // Whether keys go to the lock's prompt, which wants their text.
    bool locked() const { return locked_ != nullptr; }
    void keyTyped(const TypedKey& key);
    // The last state any keyboard reported.
    void keyboardChanged(const KeyboardState& keyboard);

    // quitsWindow: the key is one that ends a window (Escape or q).
    void keyPressed(bool quitsWindow);
    // A button's press, a turn of the wheel or a touch.
    void buttonPressed();
    // The pointer's travel, as PointerTravel takes it.
    void pointerEntered(const void* surface, double x, double y);
    void pointerMoved(double x, double y);
    void pointerMovedByDevice(double dx, double dy);
    void surfaceGone(const void* surface);
    // The compositor reports the device's own motion from now on.
    void countDeviceMotion() { travel_.countDeviceMotion(); }

private:
    void endIf(bool ends);

    Mode mode_;
    bool endRequested_ = false;
    LockedInput* locked_ = nullptr;
    KeyboardState keyboard_;
    PointerTravel travel_;
};
