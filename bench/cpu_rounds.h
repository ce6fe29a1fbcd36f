// What the overlay benchmarks share: rounds of frames timed in the process's
// CPU time (all its threads, llvmpipe's included, so a busy machine weighs
// on every way alike and less than on the wall clock), and their median.
#pragma once

#include "components/gl_api.h"

#include <algorithm>
#include <ctime>
#include <vector>

constexpr int framesPerRound = 60;

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double processMilliseconds()
{
    constexpr double millisecondsPerSecond = 1000.0;
    constexpr double millisecondsPerNanosecond = 1e-6;
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * millisecondsPerSecond +
           static_cast<double>(time.tv_nsec) * millisecondsPerNanosecond;
}

// CPU milliseconds per frame of one round, counted once GL has drawn it all.
template <typename Frame> double timeRound(Frame frame)
{
    const double start = processMilliseconds();
    for (int i = 0; i < framesPerRound; ++i)
        frame();
    glFinish();
    return (processMilliseconds() - start) / framesPerRound;
}
