// The Wayland saver's pacing: what it waits for, the hidden spell it leaves
// out of the scene's clock, and how deadlines bound a wait.
#include "linux/wayland/frame_pacing.h"
#include "linux/wayland/wait_limit.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(FramePacingTest, HiddenItWaitsOnlyForAnEventAndTheSpellIsLeftOutOfTheClock)
{
    FramePacing pacing(0us);
    EXPECT_FALSE(pacing.frameNow(false));
    EXPECT_EQ(pacing.waitLimitMs(), -1) << "nothing due: no wake-up but an event";
    pacing.waited(5s);
    EXPECT_TRUE(pacing.frameNow(true));
    EXPECT_EQ(pacing.frameStarted(FramePacing::Clock::now()), 5000);
    pacing.waited(16ms);
    EXPECT_TRUE(pacing.frameNow(true));
    EXPECT_EQ(pacing.frameStarted(FramePacing::Clock::now()), 0) << "a wait while seen is the frame's own";
}

TEST(FramePacingTest, AFrameWaitsTheDelayFromTheLastOnesStart)
{
    FramePacing pacing(10s);
    pacing.frameStarted(FramePacing::Clock::now());
    EXPECT_FALSE(pacing.frameNow(true));
    EXPECT_GT(pacing.waitLimitMs(), 9000);
    EXPECT_LE(pacing.waitLimitMs(), 10000);
}

// A wait cut short of its deadline would wake, find nothing due and wait
// again, a busy loop for the last millisecond.
TEST(FramePacingTest, DeadlinesRoundUpAndTheSoonestBoundsTheWait)
{
    const auto now = std::chrono::steady_clock::now();
    EXPECT_EQ(millisecondsUntil(now + 1100us, now), 2);
    EXPECT_EQ(millisecondsUntil(now - 1s, now), 0);
    EXPECT_EQ(soonerLimitMs(-1, 40), 40) << "no limit yet";
    EXPECT_EQ(soonerLimitMs(30, 40), 30);
    EXPECT_EQ(soonerLimitMs(50, 0), 0);
}

} // namespace
