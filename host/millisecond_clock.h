// The millisecond clock the scene's frame clock reads on Windows.
#pragma once

#include <cstdint>

// Restarts the clock at 0; the host does this when its window is created,
// so the first frame's time is short.
void startMillisecondClock();
// Milliseconds since startMillisecondClock, from a monotonic source.
int millisecondsSinceClockStart();
// Milliseconds in `count` ticks of a counter running at `frequency` ticks a
// second, read as the frame clock's counters read (counterReading); exact for
// any count a counter reaches.
int countToMilliseconds(std::int64_t count, std::int64_t frequency);
