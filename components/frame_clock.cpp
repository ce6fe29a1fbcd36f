#include "components/frame_clock.h"

#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Taken during static initialisation, so the default counter reads close to 0
// on the first frame.
const SteadyClock::time_point processStart = SteadyClock::now();

int defaultCounter()
{
    const auto elapsed = SteadyClock::now() - processStart;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

MillisecondCounter currentCounter = defaultCounter;

} // namespace

void setMillisecondCounter(MillisecondCounter counter)
{
    currentCounter = counter ? counter : defaultCounter;
}

FrameClock::FrameClock() {}

FrameClock::~FrameClock() {}

void FrameClock::tick()
{
    previousSeconds = seconds;
    milliseconds = static_cast<double>(currentCounter());
    seconds = milliseconds * 0.001;
    deltaSeconds = seconds - previousSeconds;
}
