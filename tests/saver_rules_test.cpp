#include "front/saver_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(SaverRules, PointerTravelCountsBothAxesFromTheStartInEveryDirection)
{
    // 2 + 2 is the limit itself; one pixel more on either axis, in any
    // direction, is past it.
    EXPECT_FALSE(pointerTravelledPast(100, 100, 102, 102));
    EXPECT_FALSE(pointerTravelledPast(100, 100, 96, 100));
    EXPECT_TRUE(pointerTravelledPast(100, 100, 103, 102));
    EXPECT_TRUE(pointerTravelledPast(100, 100, 97, 98));
    EXPECT_TRUE(pointerTravelledPast(100, 100, 100, 105));
    EXPECT_TRUE(pointerTravelledPast(-3, -2, 0, 0));
    // Another limit is taken as given.
    EXPECT_FALSE(pointerTravelledPast(0, 0, 3, 2, 5));
    EXPECT_TRUE(pointerTravelledPast(0, 0, 3, 3, 5));

    // Opposite ends of the 32-bit coordinate range: a 32-bit distance would
    // overflow, and one summed in 32 bits would wrap to 0.
    const std::int64_t lowest = INT32_MIN;
    const std::int64_t highest = INT32_MAX;
    EXPECT_TRUE(pointerTravelledPast(lowest, lowest, highest, highest));
    EXPECT_TRUE(pointerTravelledPast(highest, 0, lowest, 1));
}
