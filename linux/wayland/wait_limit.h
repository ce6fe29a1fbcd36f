// How long a wait for events may last, in milliseconds as poll takes them
// (-1: until an event comes), when several deadlines bound it: the next
// frame, a held key's repeat, the lock's time.
#pragma once

#include <algorithm>
#include <chrono>

// The whole milliseconds from now until deadline, rounded up so that a wait
// that long does not wake before it; 0 where it has passed.
inline int millisecondsUntil(std::chrono::steady_clock::time_point deadline, std::chrono::steady_clock::time_point now)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// limitMs (-1: none) cut to at most ms.
inline int soonerLimitMs(int limitMs, int ms)
{
    return limitMs < 0 ? ms : std::min(limitMs, ms);
}
