// The full-screen saver's pointer-travel rule on Wayland, event by event as
// compositors send them.
#include "linux/wayland/pointer_travel.h"

#include <gtest/gtest.h>

namespace {

const int first = 1; // two outputs' surfaces, as opaque keys
const int second = 2;

TEST(PointerTravelTest, OnOneSurfaceFourWholePixelsKeepTheSaverAndTheFifthEndsIt)
{
    PointerTravel travel;
    EXPECT_FALSE(travel.moved(500.0, 500.0)) << "motion before the pointer appeared";
    EXPECT_FALSE(travel.entered(&first, 10.5, 10.5));
    EXPECT_FALSE(travel.moved(10.9, 10.9)) << "jitter within a pixel";
    EXPECT_FALSE(travel.moved(12.0, 8.0)) << "2 + 2 px, either way";
    EXPECT_FALSE(travel.moved(14.0, 10.0));
    EXPECT_TRUE(travel.moved(15.0, 10.0));
    EXPECT_TRUE(travel.entered(&first, 5.0, 10.0)) << "re-entering far from where it first appeared";
}

TEST(PointerTravelTest, ReachingAnotherOutputsSurfaceIsTravelUnlessTheFirstOneWent)
{
    PointerTravel travel;
    travel.entered(&first, 300.0, 200.0);
    EXPECT_TRUE(travel.entered(&second, 300.0, 200.0)) << "another output's surface, whatever its coordinates";

    PointerTravel gone;
    gone.entered(&first, 100.0, 100.0);
    gone.surfaceGone(&first);
    EXPECT_FALSE(gone.moved(400.0, 400.0)) << "motion on no surface";
    EXPECT_FALSE(gone.entered(&second, 300.0, 200.0)) << "put there by the compositor";
    EXPECT_FALSE(gone.moved(303.0, 201.0));
    EXPECT_TRUE(gone.moved(305.0, 200.0));
}

TEST(PointerTravelTest, WhereTheDeviceReportsItsOwnMotionThatAloneIsTravel)
{
    PointerTravel travel;
    EXPECT_FALSE(travel.deviceMoved(100.0, 0.0)) << "device motion before the compositor offered it";
    travel.countDeviceMotion();
    // What sway sends when an output changes scale or place under a resting
    // pointer: leave and enter on the other output's surface, a 300 px jump.
    EXPECT_FALSE(travel.entered(&first, 100.0, 100.0));
    EXPECT_FALSE(travel.entered(&second, 50.0, 50.0));
    EXPECT_FALSE(travel.moved(50.0, 350.0));
    EXPECT_FALSE(travel.deviceMoved(1.5, 0.0));
    EXPECT_FALSE(travel.deviceMoved(0.0, -2.5));
    EXPECT_FALSE(travel.deviceMoved(0.75, 0.0)) << "2 + 2 whole pixels";
    EXPECT_TRUE(travel.deviceMoved(0.75, 0.0));

    PointerTravel across;
    across.countDeviceMotion();
    EXPECT_FALSE(across.deviceMoved(-3.0, 0.0));
    EXPECT_TRUE(across.deviceMoved(-2.0, 0.0)) << "a move onto the next output, to the left";
}

} // namespace
