// The scene's static instances, all in this one file so that their order of
// construction is the order written here. The oscillators take their ids from
// that order, and the backdrop's constructor makes a GL call.
#include "scene/scene_state.h"

namespace cascade {

Camera camera;
Oscillator panOsc;
Oscillator riseOsc;
Oscillator dollyOsc;
Oscillator fadeOsc;
Oscillator spareOsc;
Fog fog;
Backdrop backdrop;
StarCloud stars;
// The overlay's texture set is constructed here, between the stars and the clock.
FrameClock clock;

// Zero-initialised static storage, no constructors: the streaks are spawned on
// the first frame and the settings written by sceneReset.
StreakField streaks;
Scene scene;

} // namespace cascade
