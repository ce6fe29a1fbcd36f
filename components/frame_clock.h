// Measures the time between two frames from a millisecond counter.
#pragma once

// The counter the clock reads: an integer count of milliseconds that does not
// decrease between calls. Tests and tools script time through it.
using MillisecondCounter = int (*)();

// nullptr restores the default: a monotonic counter that starts near 0 when
// the process starts, so the first frame's delta is short.
void setMillisecondCounter(MillisecondCounter counter);

class FrameClock {
public:
    FrameClock();
    virtual ~FrameClock();

    void tick();

    double previousSeconds = 0.0;
    double seconds = 0.0;
    double deltaSeconds = 0.0;
    // The latest reading, carried on past the counter's 32-bit wrap so that a
    // saver running for weeks keeps a steady frame time.
    double milliseconds = 0.0;
};
