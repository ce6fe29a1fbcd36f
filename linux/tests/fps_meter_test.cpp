#include "fps_meter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds frames at the given times; returns every rate reported.
std::vector<double> ratesOf(FpsMeter& meter, const std::vector<double>& times)
{
    std::vector<double> rates;
    double fps = 0.0;
    for (double now : times)
        if (meter.frame(now, fps))
            rates.push_back(fps);
    return rates;
}

std::vector<double> steady(double start, double interval, int frames)
{
    std::vector<double> times;
    for (int frame = 0; frame <= frames; ++frame)
        times.push_back(start + frame * interval);
    return times;
}

} // namespace

TEST(FpsMeter, ReportsTheTrueRateOfEachClosedWindow)
{
    // 60 frames a second for three seconds, from an arbitrary time: one
    // report a second.
    FpsMeter meter;
    const std::vector<double> fast = ratesOf(meter, steady(100.0, 1.0 / 60.0, 180));
    ASSERT_EQ(fast.size(), 3u);
    for (double rate : fast)
        EXPECT_NEAR(rate, 60.0, 0.5);

    // Slow frames close a window well past the second: the rate is frames
    // over the time they took, not over a nominal second (0.7 s apart: 2 in
    // 1.4 s; 0.21 s apart: 5 in 1.05 s).
    FpsMeter slow;
    const std::vector<double> slowRates = ratesOf(slow, steady(7.0, 0.7, 6));
    ASSERT_EQ(slowRates.size(), 3u);
    for (double rate : slowRates)
        EXPECT_NEAR(rate, 1.0 / 0.7, 1e-9);
    FpsMeter nearlyFive;
    const std::vector<double> rates = ratesOf(nearlyFive, steady(3.0, 0.21, 20));
    ASSERT_EQ(rates.size(), 4u);
    for (double rate : rates)
        EXPECT_NEAR(rate, 1.0 / 0.21, 1e-9);

    // Irregular frames: a stall of 1.5 s after two quick ones gives 3 frames
    // in 1.7 s, then the count starts over at the stalled frame.
    FpsMeter irregular;
    const std::vector<double> bumpy = ratesOf(irregular, {0.0, 0.1, 0.2, 1.7, 1.8, 2.9});
    ASSERT_EQ(bumpy.size(), 2u);
    EXPECT_NEAR(bumpy[0], 3.0 / 1.7, 1e-9);
    EXPECT_NEAR(bumpy[1], 2.0 / 1.2, 1e-9);

    // A clock that steps back starts a new window instead of reporting nonsense.
    const std::vector<double> stepped = ratesOf(meter, {50.0, 50.5, 51.0});
    ASSERT_EQ(stepped.size(), 1u);
    EXPECT_NEAR(stepped[0], 2.0, 1e-9);
}
