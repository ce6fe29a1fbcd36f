// The cascade itself: streaks that flow along the upper level, drop over a
// wavy edge, bounce on the floor and are respawned at the far end. Each frame
// a streak is drawn as one line from where it was to where it is, so a line's
// length shows how far it moved in that frame.
#pragma once

// Parallel arrays rather than an array of records: the update and the drawing
// are two separate passes over them. No constructor, so a static field is
// zero-initialised and unspawned until its first frame.
class StreakField {
public:
    static constexpr int streakCount = 6000;

    // The order the lines go to GL in. byIndex sets the width before every
    // streak, 6000 draws a frame; byWidth draws all streaks of width 1, then
    // 2, then 3, one draw per width. With the additive blend the two give
    // the same picture up to the rounding of blends that meet on a pixel.
    enum class LineOrder { byIndex, byWidth };

    // One frame: spawns every streak on the first call, then moves and draws
    // them all. Reads the scene's settings and the frame clock's delta, and
    // expects the camera's view to be current.
    void updateAndDraw();

    double x[streakCount];
    double y[streakCount];
    double z[streakCount];
    double prevX[streakCount];
    double prevY[streakCount];
    double prevZ[streakCount];
    double fallVelocity[streakCount];
    double red[streakCount];
    double green[streakCount];
    double blue[streakCount];
    double spinAngle[streakCount];  // drawn at every spawn, read by nothing
    double flowSpeed[streakCount];
    int lineWidth[streakCount];
    int spawned;
    LineOrder lineOrder;  // zero-initialised: byIndex
};
