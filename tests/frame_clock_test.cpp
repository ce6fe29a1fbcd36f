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
// A counter that runs past the int range as a 32-bit machine's does, read the
// way every counter of the fronts reads.
std::int64_t wrappingElapsed = 0;
int wrapping() { return counterReading(wrappingElapsed); }
} // namespace

TEST(FrameClock, KeepsSteadyDeltasThroughTheCounterWrap)
{
    setMillisecondCounter(wrapping);
    FrameClock clock;
    wrappingElapsed = 2147483647 - 40;  // 24.8 days after the counter started
    clock.tick();
    EXPECT_EQ(clock.milliseconds, 2147483607.0);
    for (int frame = 0; frame < 10; ++frame) {
        wrappingElapsed += 16;  // passes 2^31 and reads negative from here
        clock.tick();
        EXPECT_NEAR(clock.deltaSeconds, 0.016, 1e-6) << frame;
    }
    EXPECT_EQ(-2147483648LL + 119, wrapping());  // 2^31 + 119 ms
    EXPECT_EQ(clock.milliseconds, 2147483607.0 + 160);

    // And again past 2^32, where the raw count starts over from 0.
    wrappingElapsed = 0xFFFFFFF0LL;
    clock.tick();
    wrappingElapsed += 0x20;
    EXPECT_EQ(16, wrapping());
    clock.tick();
    EXPECT_NEAR(clock.deltaSeconds, 0.032, 1e-6);
    EXPECT_EQ(clock.milliseconds, 4294967296.0 + 16);
    setMillisecondCounter(nullptr);
}
