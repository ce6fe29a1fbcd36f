// The C++ runtime's steady clock falls back to the system's wall clock under
// MinGW, so a clock adjustment while the saver runs would hand the scene a
// huge or negative frame time. The performance counter (or, where a machine
// has none, the tick count) only ever moves forward.
#include "host/frame_counter.h"

#include <windows.h>

namespace {

LARGE_INTEGER frequency = {};
LARGE_INTEGER originCount = {};
DWORD originTicks = 0;
bool hasPerformanceCounter = false;

} // namespace

void startFrameCounter()
{
    hasPerformanceCounter = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    if (hasPerformanceCounter)
        QueryPerformanceCounter(&originCount);
    originTicks = GetTickCount();
}

int frameCounterMilliseconds()
{
    if (hasPerformanceCounter) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<int>((now.QuadPart - originCount.QuadPart) * 1000 / frequency.QuadPart);
    }
    return static_cast<int>(GetTickCount() - originTicks);
}
