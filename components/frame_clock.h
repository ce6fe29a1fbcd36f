// Measures the time between two frames from a millisecond counter.
#pragma once

#include <cstdint>

// The counter the clock reads: an integer count of milliseconds that does not
// decrease between calls, except that it wraps at 32 bits as the system's own
// millisecond counters do. Tests and tools script time through it.
using MillisecondCounter = int (*)();

// What a counter reads after `elapsed` milliseconds: the low 32 bits, which
// pass the int range after 24.8 days and start over after 49.7. Every counter
// wraps through this, and FrameClock::tick carries its readings on past it.
int counterReading(std::int64_t elapsed);

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
