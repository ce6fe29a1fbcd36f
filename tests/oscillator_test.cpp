#include "components/oscillator.h"
#include "components/random_source.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

namespace {

// A seed whose first generator output does (or does not) trigger a fade.
std::uint32_t seedWhoseFirstDraw(bool triggers)
{
    std::uint32_t seed = 0;
    while ((SequenceReplay(seed).next() < 33) != triggers)
        ++seed;
    return seed;
}

// How many generator steps were taken since `seed`.
int drawsSince(std::uint32_t seed)
{
    const int next = randomNext();
    SequenceReplay replay(seed);
    for (int steps = 0; steps < 10; ++steps)
        if (replay.next() == next)
            return steps;
    return -1;
}

} // namespace

TEST(Oscillator, NewOscillatorsAndAPlainStep)
{
    Oscillator a, b, c;
    EXPECT_EQ(b.id, a.id + 1);
    EXPECT_EQ(c.id, a.id + 2);
    EXPECT_EQ(a.value(), 1.0);
    EXPECT_EQ(a.unitValue(), 1.0);
    const std::uint32_t quiet = seedWhoseFirstDraw(false);
    randomSeed(quiet);
    a.step(0.5);
    EXPECT_EQ(drawsSince(quiet), 1);
    EXPECT_EQ(a.getPhase(), 0.5);
    EXPECT_EQ(a.fade, 1.0);
    EXPECT_EQ(a.fadeRate, 0.0);
}

TEST(Oscillator, FaderRunsThroughItsFourStates)
{
    const std::uint32_t trigger = seedWhoseFirstDraw(true);
    const std::uint32_t quiet = seedWhoseFirstDraw(false);
    Oscillator osc;
    // Running: even a zero step draws, and a low draw starts the fade-out.
    randomSeed(trigger);
    osc.step(0.0);
    EXPECT_EQ(drawsSince(trigger), 1);
    EXPECT_EQ(osc.fadeRate, -0.1);
    EXPECT_EQ(osc.fade, 1.0);
    // Fading out: no draw; below 0.05 it snaps to a standstill, phase frozen.
    osc.fade = 0.06;
    osc.phase = 2.0;
    randomSeed(quiet);
    osc.step(0.2);
    EXPECT_EQ(drawsSince(quiet), 0);
    EXPECT_EQ(osc.fade, 0.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
    EXPECT_EQ(osc.phase, 2.0);
    // Stopped: a low draw starts the fade-in.
    randomSeed(trigger);
    osc.step(1.0);
    EXPECT_EQ(osc.fadeRate, 0.1);
    EXPECT_NEAR(osc.phase, 2.1, 1e-15);
    // Fading in: past 1 it is set to exactly 1 and the phase runs at full speed.
    osc.fade = 0.95;
    osc.step(1.0);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
    EXPECT_NEAR(osc.phase, 3.1, 1e-15);
    // Landing exactly on 1 keeps the rate until the next step has drawn.
    osc.fade = 0.5;
    osc.fadeRate = 0.1;
    osc.step(5.0);
    EXPECT_EQ(osc.fadeRate, 0.1);
    randomSeed(quiet);
    osc.step(1.0);
    EXPECT_EQ(drawsSince(quiet), 1);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
}
