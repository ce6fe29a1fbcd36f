#include "components/frame_clock.h"

#include <chrono>
#include <cstdint>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr double secondsPerMillisecond = 0.001;

// Taken during static initialisation, so the default counter reads close to 0
// on the first frame.
const SteadyClock::time_point processStart = SteadyClock::now();

int defaultCounter()
{
    const auto elapsed = SteadyClock::now() - processStart;
    return counterReading(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

MillisecondCounter currentCounter = defaultCounter;

} // namespace

int counterReading(std::int64_t elapsed)
{
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(elapsed)));
}

void setMillisecondCounter(MillisecondCounter counter)
{
    currentCounter = counter ? counter : defaultCounter;
}

FrameClock::FrameClock() {}

FrameClock::~FrameClock() {}

void FrameClock::tick()
{
    previousSeconds = seconds;
    // The counter is a 32-bit int and runs out after 2^31 ms (24.8 days).
    // Advancing by the step between two readings, taken modulo 2^32, carries
    // the reading on past the wrap instead of jumping back by 49 days; until
    // the wrap it equals the raw reading exactly. The low 32 bits of
    // `milliseconds` are always the previous raw reading.
    const auto carried = static_cast<std::int64_t>(milliseconds);
    const auto previousReading = static_cast<std::uint32_t>(counterReading(carried));
    const auto reading = static_cast<std::uint32_t>(currentCounter());
    const auto step = static_cast<std::int32_t>(reading - previousReading);
    milliseconds = milliseconds + step;
    seconds = milliseconds * secondsPerMillisecond;
    deltaSeconds = seconds - previousSeconds;
}
