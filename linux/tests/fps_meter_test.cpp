#include "fps_meter.h"

#include <gtest/gtest.h>

TEST(FpsMeter, ReportsOncePerSecondWindow)
{
    FpsMeter meter;
    double fps = 0.0;
    int reports = 0;
    // 60 frames a second for three seconds, starting at an arbitrary time.
    for (int frame = 0; frame <= 180; ++frame) {
        if (meter.frame(100.0 + frame / 60.0, fps)) {
            ++reports;
            EXPECT_NEAR(fps, 60.0, 0.5);
        }
    }
    EXPECT_EQ(reports, 3);

    // A clock that steps back starts a new window instead of reporting nonsense.
    EXPECT_FALSE(meter.frame(50.0, fps));
    EXPECT_FALSE(meter.frame(50.5, fps));
    EXPECT_TRUE(meter.frame(51.0, fps));
    EXPECT_NEAR(fps, 2.0, 1e-9);
}
