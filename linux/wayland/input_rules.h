// The saver's rules for Wayland input, apart from the devices that report it
// (wayland_seat.h): full screen, any key, button, wheel turn or touch ends it,
// and so does pointer travel past the limit of front/saver_rules.h
// (pointer_travel.h); in a window, only Escape or q does. No Wayland here:
// the seats tell what happened, the rules say whether it ends the saver.
#pragma once

#include "linux/wayland/pointer_travel.h"

class InputRules {
public:
    enum class Mode { Fullscreen, Window };

    explicit InputRules(Mode mode) : mode_(mode) {}

    // A full-screen saver takes the pointer over its surfaces, and hides it.
    bool takesPointer() const { return mode_ == Mode::Fullscreen; }
    // True once input asked the saver to end.
    bool endRequested() const { return endRequested_; }

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
    PointerTravel travel_;
};
