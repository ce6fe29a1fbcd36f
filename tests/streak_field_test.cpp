#include "scene/streak_field.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "recording_gl.h"
#include "scene/scene_state.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

#include <memory>

using gldouble::Call;
using Calls = std::vector<Call>;

namespace {

constexpr int count = StreakField::streakCount;

// A zeroed, unspawned field of its own, as a static one starts out.
std::unique_ptr<StreakField> freshField() { return std::make_unique<StreakField>(); }

void settings(double unit, double dt)
{
    cascade::scene = Scene();
    cascade::scene.sizeUnit = unit;
    cascade::scene.fogOn = 1;
    cascade::clock.deltaSeconds = dt;
}

// Puts every streak past the edge at (0, y, -0.5), moving by `velocity`.
void placeAll(StreakField& field, double y, double velocity)
{
    field.spawned = 1;
    for (int i = 0; i < count; ++i) {
        field.x[i] = 0.0;
        field.y[i] = y;
        field.z[i] = -0.5;
        field.fallVelocity[i] = velocity;
        field.lineWidth[i] = 1;
    }
}

} // namespace

TEST(StreakField, FirstSpawnDrawsEightValuesPerStreakInOrder)
{
    for (double unit : {1.0, 2.0}) {
        settings(unit, 0.02);
        auto field = freshField();
        randomSeed(4242);
        gldouble::reset();
        field->updateAndDraw();
        EXPECT_EQ(field->spawned, 1);

        SequenceReplay replay(4242);
        int respawned = 0;
        for (int i = 0; i < count; ++i) {
            const double x = replay.frand(3 * unit) - 1.5 * unit;
            const double z = replay.frand(2.0) * unit - 1.0 * unit;
            const double red = replay.frand(static_cast<double>(0.4f)) + 0.6;
            const double green = replay.frand(static_cast<double>(0.1f)) + 0.9;
            const double blue = replay.frand(static_cast<double>(0.1f)) + 0.9;
            const double spin = replay.frand(360.0);
            const double flow = replay.frand(0.1) + 0.2;
            const int width = static_cast<int>(replay.frand(3.0) + 1.0);
            // The update saves the spawn position as the tail, unless the
            // streak already left the scene and was respawned.
            if (field->prevZ[i] == 1.0 * unit) {
                ++respawned;
                continue;
            }
            ASSERT_EQ(field->prevX[i], x) << i;
            ASSERT_EQ(field->prevY[i], 0.8 * unit) << i;
            ASSERT_EQ(field->prevZ[i], z) << i;
            ASSERT_EQ(field->red[i], red) << i;
            ASSERT_EQ(field->green[i], green) << i;
            ASSERT_EQ(field->blue[i], blue) << i;
            ASSERT_EQ(field->spinAngle[i], spin) << i;
            ASSERT_EQ(field->flowSpeed[i], flow) << i;
            ASSERT_EQ(field->lineWidth[i], width) << i;
        }
        EXPECT_LT(respawned, 60);  // those spawned within one frame's flow of the end
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(field->lineWidth[i] >= 1 && field->lineWidth[i] <= 3);

        // One width, colour and line per streak, with additive blending and fog.
        EXPECT_EQ(gldouble::slice(0, 3), (Calls{Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}),
                                                Call("glEnable", {GL_BLEND}), Call("glEnable", {GL_FOG})}));
        EXPECT_EQ(gldouble::callCount(), 3u + 6u * count + 1u);
        EXPECT_EQ(gldouble::calls().back(), Call("glDisable", {GL_FOG}));
        int i = 0;
        while (field->fallVelocity[i] != 0.0)
            ++i;
        const std::size_t first = 3 + 6 * static_cast<std::size_t>(i);
        EXPECT_EQ(gldouble::slice(first, 6),
                  (Calls{Call("glLineWidth", {float(field->lineWidth[i])}),
                         Call("glColor4f", {float(field->red[i]), float(field->green[i]), float(field->blue[i]), 0.4f}),
                         Call("glBegin", {GL_LINES}),
                         Call("glVertex3d", {field->prevX[i], field->prevY[i], field->prevZ[i]}),
                         Call("glVertex3d", {field->x[i], field->y[i], field->z[i]}), Call("glEnd")}));
    }
}

TEST(StreakField, FallBounceAndOpacity)
{
    settings(1.0, 0.0);
    auto field = freshField();
    placeAll(*field, 0.5, 0.0);
    // With no time passing, gravity adds nothing and the velocity stays put:
    // below 1/900 per frame a streak glows at 0.4, above it at 1.4 and more.
    field->fallVelocity[1] = -0.999 / 900;
    field->fallVelocity[2] = -1.001 / 900;
    field->fallVelocity[3] = 2.5 / 900;
    // Streak 4 sits exactly on the floor and does not bounce; streak 5 hits it.
    field->y[4] = 0.0;
    field->y[5] = 0.001;
    field->fallVelocity[5] = -0.01;
    randomSeed(77);
    gldouble::reset();
    field->updateAndDraw();

    const Calls colours = gldouble::callsNamed("glColor4f");
    EXPECT_EQ(colours[0].args[3], 0.4f);
    EXPECT_EQ(colours[1].args[3], 0.4f);
    EXPECT_EQ(colours[2].args[3], 1.4f);
    EXPECT_EQ(colours[3].args[3], 2.4f);
    EXPECT_EQ(field->y[1], 0.5 + -0.999 / 900);
    EXPECT_EQ(field->y[4], 0.0);
    EXPECT_EQ(field->fallVelocity[4], 0.0);

    // Two draws per streak, one more for the bounce of streak 5.
    SequenceReplay replay(77);
    replay.skip(5 * 2 + 2);
    const double velocity = (replay.frand(0.5) + 0.5) * (-0.5) * -0.01;
    EXPECT_EQ(field->fallVelocity[5], velocity);
    EXPECT_EQ(field->y[5], velocity * 1.0 + (0.001 + -0.01));
    replay.skip((count - 6) * 2);
    EXPECT_EQ(randomNext(), replay.next());
}

TEST(StreakField, GravityFlowAndSwitches)
{
    settings(2.0, 0.5);
    cascade::scene.fogOn = 0;
    cascade::scene.streakDepthOn = 1;
    cascade::scene.lightingOn = 1;
    auto field = freshField();
    placeAll(*field, 1.0, 0.0);
    field->flowSpeed[0] = 0.25;
    field->z[1] = 0.5;  // short of the edge: keeps its height
    randomSeed(9);
    gldouble::reset();
    field->updateAndDraw();

    SequenceReplay replay(9);
    const double x = (replay.frand(0.002) - 0.001) + 0.0;
    const double z = -0.5 - (replay.frand(0.0001) * 2.0 + 2.0 * 0.5 * 0.25);
    EXPECT_EQ(field->x[0], x);
    EXPECT_EQ(field->z[0], z);
    EXPECT_EQ(field->fallVelocity[0], 0.0 - 2.0 * 0.5 * 0.04);
    EXPECT_EQ(field->y[0], 1.0 - 0.04);
    EXPECT_EQ(field->y[1], 1.0);
    EXPECT_EQ(field->fallVelocity[1], 0.0);

    EXPECT_EQ(gldouble::slice(0, 5), (Calls{Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}), Call("glEnable", {GL_BLEND}),
                                            Call("glEnable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_TRUE}),
                                            Call("glEnable", {GL_LIGHTING})}));
    EXPECT_EQ(gldouble::slice(5 + 6 * count, 4),
              (Calls{Call("glDisable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_FALSE}),
                     Call("glDisable", {GL_LIGHTING})}));
}
