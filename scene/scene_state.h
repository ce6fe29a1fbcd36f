// The scene's settings record and its component instances: static objects,
// constructed before the host runs and never destroyed, read by tools and
// tests as well as by the scene itself.
//
// The instances live in namespace cascade because a global object named
// `clock` would collide with the C library's clock() (a redeclaration error
// wherever <ctime> is seen, and a clash of link symbols on ELF platforms).
#pragma once

#include "components/backdrop.h"
#include "components/camera.h"
#include "components/fog.h"
#include "components/frame_clock.h"
#include "components/oscillator.h"
#include "scene/star_cloud.h"
#include "scene/streak_field.h"

// Everything here is zero until sceneReset writes its working values; nothing
// changes them afterwards.
struct Scene {
    double sizeUnit;      // the length unit every scaled distance is a multiple of
    double cameraRate;    // speed factor of the three camera oscillators
    double backdropRate;  // speed factor of the fade and spare oscillators

    // Feature switches, non-zero meaning on.
    int overlayOn;
    int worldOn;
    int starsOn;
    int fogOn;
    int streakDepthOn;
    int lightingOn;
    int flatPassOn;

    double letterboxSetting;  // fraction of the height under each letterbox bar
};

namespace cascade {

extern Camera camera;
extern Oscillator panOsc;    // sways and turns the camera
extern Oscillator riseOsc;   // raises and tilts the camera
extern Oscillator dollyOsc;  // moves the camera forward and back
extern Oscillator fadeOsc;   // the backdrop's fade opacity
extern Oscillator spareOsc;  // read by nothing, but draws from the random sequence
extern Fog fog;
extern Backdrop backdrop;
extern StarCloud stars;
extern FrameClock clock;
extern StreakField streaks;
extern Scene scene;

} // namespace cascade
