#include "components/oscillator.h"
#include "components/random_source.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A seed whose first generator output does (or does not) trigger a fade.
std::uint32_t seedWhoseFirstDraw(bool triggers)
{
    std::uint32_t seed = 0;
    while ((SequenceReplay(seed).next() < 33) != triggers)
        ++seed;
    return seed;
}

// The generator has advanced by exactly `steps` since `seed`.
void expectStepsTaken(std::uint32_t seed, int steps)
{
    SequenceReplay replay(seed);
    replay.skip(steps);
    EXPECT_EQ(randomNext(), replay.next()) << "expected " << steps << " draws";
}

} // namespace

TEST(Oscillator, NewOscillatorsAndTheirIds)
{
    Oscillator a, b, c;
    EXPECT_EQ(b.id, a.id + 1);
    EXPECT_EQ(c.id, a.id + 2);
    EXPECT_EQ(Oscillator::instanceCount, c.id + 1);
    EXPECT_EQ(a.getPhase(), 0.0);
    EXPECT_EQ(a.value(), 1.0);
    EXPECT_EQ(a.unitValue(), 1.0);

    const std::uint32_t quiet = seedWhoseFirstDraw(false);
    randomSeed(quiet);
    a.step(0.5);
    EXPECT_EQ(a.phase, 0.5);
    EXPECT_EQ(a.fade, 1.0);
    EXPECT_EQ(a.fadeRate, 0.0);
    EXPECT_EQ(a.value(), std::cos(0.5));
    expectStepsTaken(quiet, 1);
}

TEST(Oscillator, FaderRunsThroughItsFourStates)
{
    const std::uint32_t trigger = seedWhoseFirstDraw(true);
    const std::uint32_t quiet = seedWhoseFirstDraw(false);
    Oscillator osc;

    // Running: a zero step still draws, and a low draw starts the fade-out.
    randomSeed(trigger);
    osc.step(0.0);
    EXPECT_EQ(osc.fadeRate, -0.1);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.phase, 0.0);
    expectStepsTaken(trigger, 1);

    // Fading out: no draw; below 0.05 the fader snaps to a standstill that
    // freezes the phase in the same step.
    randomSeed(quiet);
    osc.fade = 0.06;
    osc.phase = 2.0;
    osc.step(0.2);
    EXPECT_EQ(osc.fade, 0.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
    EXPECT_EQ(osc.phase, 2.0);
    expectStepsTaken(quiet, 0);

    // Stopped: a low draw starts the fade-in.
    randomSeed(trigger);
    osc.step(1.0);
    EXPECT_EQ(osc.fadeRate, 0.1);
    EXPECT_NEAR(osc.fade, 0.1, 1e-15);
    EXPECT_NEAR(osc.phase, 2.1, 1e-15);

    // Fading in: past 1 the fader is set to exactly 1 and the phase advances
    // at full speed.
    osc.fade = 0.95;
    osc.phase = 0.0;
    osc.step(1.0);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
    EXPECT_EQ(osc.phase, 1.0);

    // Landing exactly on 1 keeps the rate; the next step reads the fader as
    // resting, draws, and only then settles it.
    osc.fade = 0.5;
    osc.fadeRate = 0.1;
    osc.step(5.0);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.fadeRate, 0.1);
    randomSeed(quiet);
    osc.step(1.0);
    EXPECT_EQ(osc.fade, 1.0);
    EXPECT_EQ(osc.fadeRate, 0.0);
    expectStepsTaken(quiet, 1);
}
