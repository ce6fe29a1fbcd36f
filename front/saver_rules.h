// Rules of the saver's behaviour that every front follows the same way.
#pragma once

// A full-screen saver ends once the pointer has travelled more than this many
// pixels from where it stood when the saver started, counted as |dx| + |dy|:
// a slow drift ends it, a small jiggle of the desk does not.
constexpr unsigned pointerTravelLimitPixels = 4;
