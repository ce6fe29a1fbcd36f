// How often the Plasma item draws the scene, and when a pause counts as
// time the scene should not leap over.
#pragma once

namespace scene_pace {

// The saver's own pace: smooth motion (its speed follows the measured frame
// time) at a fraction of what an unpaced item costs on software GL.
constexpr int framesPerSecond = 30;
constexpr int framePeriodMs = 1000 / framesPerSecond;
// A gap between frames longer than this was a hidden greeter or a busy
// machine: the scene goes on from where it was instead of jumping ahead.
constexpr int longestStepMs = 250;

} // namespace scene_pace
