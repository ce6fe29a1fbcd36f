// The scene's static instances, all in this one file so that their order of
// construction is the order written here. The oscillators take their ids from
// that order, and the backdrop's constructor makes a GL call.
#include "scene/overlay.h"
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
// Each Texture empties the registry as it is constructed, so the set comes
// before any generation; element by element, between the stars and the clock.
Texture textureSet[overlayTextureCount];
FrameClock clock;

// Zero-initialised static storage, no constructors: the streaks are spawned on
// the first frame and the settings written by sceneReset.
StreakField streaks;
Scene scene;

} // namespace cascade
