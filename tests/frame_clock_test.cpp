#include "components/frame_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
int reading = 0;
int scripted() { return reading; }
} // namespace

TEST(FrameClock, ReadingsAndDeltas)
{
    setMillisecondCounter(scripted);
    FrameClock clock;
    reading = 250;
    clock.tick();
    EXPECT_EQ(clock.deltaSeconds, 0.25);  // the first delta is the whole reading
    reading = 1000;
    clock.tick();
    reading = 1020;
    clock.tick();
    EXPECT_EQ(clock.previousSeconds, 1.0);
    EXPECT_EQ(clock.seconds, 1.02);
    EXPECT_NEAR(clock.deltaSeconds, 0.02, 1e-12);
    EXPECT_EQ(clock.milliseconds, 1020.0);
    clock.tick();
    EXPECT_EQ(clock.deltaSeconds, 0.0);

    // The default counter starts near zero with the process.
    setMillisecondCounter(nullptr);
    FrameClock fresh;
    fresh.tick();
    EXPECT_GE(fresh.milliseconds, 0.0);
    EXPECT_LT(fresh.deltaSeconds, 60.0);
}

namespace {
// A counter that runs past the int range as a 32-bit machine's does.
std::uint32_t wrappingReading = 0;
int wrapping() { return static_cast<int>(wrappingReading); }
} // namespace

TEST(FrameClock, KeepsSteadyDeltasThroughTheCounterWrap)
{
    setMillisecondCounter(wrapping);
    FrameClock clock;
    wrappingReading = 2147483647u - 40;  // 24.8 days after the counter started
    clock.tick();
    EXPECT_EQ(clock.milliseconds, 2147483607.0);
    for (int frame = 0; frame < 10; ++frame) {
        wrappingReading += 16;  // passes 2^31 and reads negative from here
        clock.tick();
        EXPECT_NEAR(clock.deltaSeconds, 0.016, 1e-6) << frame;
    }
    EXPECT_LT(wrapping(), 0);
    EXPECT_EQ(clock.milliseconds, 2147483607.0 + 160);

    // And again past 2^32, where the raw count starts over from 0.
    wrappingReading = 0xFFFFFFF0u;
    clock.tick();
    wrappingReading += 0x20;
    clock.tick();
    EXPECT_NEAR(clock.deltaSeconds, 0.032, 1e-6);
    EXPECT_EQ(clock.milliseconds, 4294967296.0 + 16);
    setMillisecondCounter(nullptr);
}
