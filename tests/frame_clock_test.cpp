#include "components/frame_clock.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(clock.deltaSeconds, 0.25);

    reading = 1000;
    clock.tick();
    reading = 1020;
    clock.tick();
    EXPECT_EQ(clock.previousSeconds, 1.0);
    EXPECT_EQ(clock.seconds, 1020 * 0.001);
    EXPECT_NEAR(clock.deltaSeconds, 0.02, 1e-12);
    EXPECT_EQ(clock.milliseconds, 1020.0);

    clock.tick();
    EXPECT_EQ(clock.deltaSeconds, 0.0);

    // The default counter starts near zero with the process and never runs back.
    setMillisecondCounter(nullptr);
    FrameClock fresh;
    fresh.tick();
    EXPECT_GE(fresh.milliseconds, 0.0);
    EXPECT_LT(fresh.deltaSeconds, 60.0);
    const double first = fresh.milliseconds;
    fresh.tick();
    EXPECT_GE(fresh.milliseconds, first);
}
