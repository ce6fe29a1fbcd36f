// The C++ runtime's steady clock falls back to the system's wall clock under
// MinGW, so a clock adjustment while the saver runs would hand the scene a
// huge or negative frame time. The performance counter (or, where a machine
// has none, the tick count) only ever moves forward.
#include "host/millisecond_clock.h"

#include "components/frame_clock.h"

#include <windows.h>

namespace {

constexpr std::int64_t millisecondsPerSecond = 1000;

LARGE_INTEGER frequency = {};
LARGE_INTEGER originCount = {};
DWORD originTicks = 0;
bool hasPerformanceCounter = false;

} // namespace

void startMillisecondClock()
{
    hasPerformanceCounter = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    if (hasPerformanceCounter)
        QueryPerformanceCounter(&originCount);
    originTicks = GetTickCount();
}

int millisecondsSinceClockStart()
{
    if (hasPerformanceCounter) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return countToMilliseconds(now.QuadPart - originCount.QuadPart, frequency.QuadPart);
    }
    return counterReading(GetTickCount() - originTicks);
}

int countToMilliseconds(std::int64_t count, std::int64_t frequency)
{
    // Where the counter runs at the CPU clock, count * 1000 would pass 2^63
    // after about 35 days: whole seconds and the rest are scaled apart.
    const std::int64_t milliseconds =
        count / frequency * millisecondsPerSecond + count % frequency * millisecondsPerSecond / frequency;
    return counterReading(milliseconds);
}
