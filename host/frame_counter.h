// The frame clock's millisecond counter on Windows.
#pragma once

// Restarts the counter at 0; the host does this when its window is created,
// so the first frame's time is short.
void startFrameCounter();
// Milliseconds since startFrameCounter, from a monotonic source.
int frameCounterMilliseconds();
