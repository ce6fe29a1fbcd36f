// How far the pointer has travelled over the full-screen saver's surfaces,
// for the rule that travel past front/saver_rules.h's limit ends the saver.
// Pure bookkeeping, with surfaces as opaque keys, so that every order of
// events can be tried without a compositor.
//
// Where the compositor reports the pointer device's own motion (the relative
// pointer protocol), that motion alone is travel: the cursor moves that the
// compositor makes itself, when an output changes its scale or place or goes,
// are nobody's hand on the mouse, and docking a laptop must not end the
// saver. Elsewhere the cursor's place is all there is: travel is measured on
// the surface where the pointer first appeared, and reaching another output's
// surface is travel over the edge between them, since Wayland tells a client
// nothing of where the outputs stand.
#pragma once

class PointerTravel {
public:
    // From now on the device's own motion is the only travel.
    void countDeviceMotion() { deviceMotion_ = true; }

    // Each returns true once the travel is past the limit. (x, y) are
    // surface-local, in surface units; motion is on the surface the pointer
    // last entered.
    bool entered(const void* surface, double x, double y);
    bool moved(double x, double y);
    bool deviceMoved(double dx, double dy);
    // A surface about to be destroyed (its output went): the compositor, not
    // the user, moves the pointer off it, so where the origin was on it the
    // pointer's next appearance sets a new one.
    void surfaceGone(const void* surface);

private:
    bool deviceMotion_ = false;
    double deviceX_ = 0.0; // the device's motion summed, from 0
    double deviceY_ = 0.0;
    const void* surface_ = nullptr;
    bool originSet_ = false;
    const void* originSurface_ = nullptr;
    double originX_ = 0.0;
    double originY_ = 0.0;
};
