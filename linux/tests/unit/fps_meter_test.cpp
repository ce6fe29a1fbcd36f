#include "linux/common/fps_meter.h"

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

// frames + 1 frames, interval seconds apart.
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
    // One report a second, from an arbitrary time; slow frames close a window
    // well past the second, and the rate is frames over the time they took,
    // not over a nominal second (0.7 s apart: 2 in 1.4 s; 0.21 s: 5 in 1.05 s).
    struct Case {
        double interval;
        int frames;
        std::size_t reports;
    };
    for (const Case c : {Case{1.0 / 60.0, 180, 3}, Case{0.7, 6, 3}, Case{0.21, 20, 4}}) {
        FpsMeter meter;
        const std::vector<double> rates = ratesOf(meter, steady(100.0, c.interval, c.frames));
        ASSERT_EQ(rates.size(), c.reports) << c.interval;
        for (double rate : rates)
            EXPECT_NEAR(rate, 1.0 / c.interval, 1e-6) << c.interval;
    }

    // Irregular frames: a stall of 1.5 s after two quick ones gives 3 frames
    // in 1.7 s, then the count starts over at the stalled frame.
    FpsMeter meter;
    const std::vector<double> bumpy = ratesOf(meter, {0.0, 0.1, 0.2, 1.7, 1.8, 2.9});
    ASSERT_EQ(bumpy.size(), 2u);
    EXPECT_NEAR(bumpy[0], 3.0 / 1.7, 1e-9);
    EXPECT_NEAR(bumpy[1], 2.0 / 1.2, 1e-9);

    // A clock that steps back starts a new window instead of reporting nonsense.
    EXPECT_EQ(ratesOf(meter, {1.0, 1.5, 2.0}), std::vector<double>{2.0});
}
