#include "scene/streak_field.h"

#include "components/random_source.h"
#include "gl_expect.h"
#include "scene/scene_state.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int count = StreakField::streakCount;

// A zeroed, unspawned field of its own, as a static one starts out, with
// every switch the field reads off but fog.
std::unique_ptr<StreakField> freshField(double unit, double dt)
{
    cascade::scene = Scene();
    cascade::scene.sizeUnit = unit;
    cascade::scene.fogOn = 1;
    cascade::clock.deltaSeconds = dt;
    return std::make_unique<StreakField>();
}

// Every streak past the edge at (0, y, -0.5), moving by `velocity` per frame.
void placeAll(StreakField& field, double y, double velocity)
{
    field.spawned = 1;
    for (int i = 0; i < count; ++i) {
        field.x[i] = 0.0;
        field.y[i] = y;
        field.z[i] = -0.5;
        field.fallVelocity[i] = velocity;
    }
}

} // namespace

TEST(StreakField, FirstSpawnDrawsEightValuesPerStreakInOrder)
{
    for (double unit : {1.0, 2.0}) {
        auto field = freshField(unit, 0.02);
        randomSeed(4242);
        gldouble::reset();
        field->updateAndDraw();
        SequenceReplay replay(4242);
        int respawned = 0;
        for (int i = 0; i < count; ++i) {
            const double x = replay.frand(3 * unit) - 1.5 * unit;
            const double z = replay.frand(2.0) * unit - 1.0 * unit;
            const double rgb[3] = {replay.frand(double(0.4f)) + 0.6, replay.frand(double(0.1f)) + 0.9,
                                   replay.frand(double(0.1f)) + 0.9};
            const double spin = replay.frand(360.0);
            const double flow = replay.frand(0.1) + 0.2;
            const int width = static_cast<int>(replay.frand(3.0) + 1.0);
            // The update keeps the spawn position as the tail, unless the
            // streak left the scene at once and was respawned.
            if (field->prevZ[i] == 1.0 * unit && ++respawned)
                continue;
            ASSERT_TRUE(field->prevX[i] == x && field->prevY[i] == 0.8 * unit && field->prevZ[i] == z) << i;
            ASSERT_TRUE(field->red[i] == rgb[0] && field->green[i] == rgb[1] && field->blue[i] == rgb[2]) << i;
            ASSERT_TRUE(field->spinAngle[i] == spin && field->flowSpeed[i] == flow) << i;
            ASSERT_TRUE(field->lineWidth[i] == width && width >= 1 && width <= 3) << i;
        }
        EXPECT_LT(respawned, 60);  // those spawned within one frame's flow of the end

        // One width, colour and line per streak, additive and fogged; a
        // streak on the upper level glows at 0.4.
        EXPECT_EQ(gldouble::slice(0, 3), (Calls{Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}),
                                                Call("glEnable", {GL_BLEND}), Call("glEnable", {GL_FOG})}));
        EXPECT_EQ(gldouble::callCount(), 3u + 6u * count + 1u);
        EXPECT_EQ(gldouble::calls().back(), Call("glDisable", {GL_FOG}));
        int i = 0;
        while (field->fallVelocity[i] != 0.0)
            ++i;
        EXPECT_EQ(gldouble::slice(3 + 6 * static_cast<std::size_t>(i), 6),
                  (Calls{Call("glLineWidth", {float(field->lineWidth[i])}),
                         Call("glColor4f", {float(field->red[i]), float(field->green[i]), float(field->blue[i]), 0.4f}),
                         Call("glBegin", {GL_LINES}), Call("glVertex3d", {field->prevX[i], field->prevY[i], field->prevZ[i]}),
                         Call("glVertex3d", {field->x[i], field->y[i], field->z[i]}), Call("glEnd")}));
    }
}

TEST(StreakField, FallBounceAndOpacity)
{
    auto field = freshField(1.0, 0.0);  // no time: gravity adds nothing
    placeAll(*field, 0.5, 0.0);
    field->fallVelocity[1] = -0.999 / 900;
    field->fallVelocity[2] = -1.001 / 900;
    field->fallVelocity[3] = 2.5 / 900;
    field->y[4] = 0.0;  // exactly on the floor: no bounce, so no extra draw
    field->y[5] = 0.001;
    field->fallVelocity[5] = -0.01;
    randomSeed(77);
    gldouble::reset();
    field->updateAndDraw();
    const Calls colours = gldouble::callsNamed("glColor4f");
    EXPECT_EQ(colours[1].args[3], 0.4f);
    EXPECT_EQ(colours[2].args[3], 1.4f);
    EXPECT_EQ(colours[3].args[3], 2.4f);
    EXPECT_EQ(field->y[1], 0.5 + -0.999 / 900);
    EXPECT_EQ(field->y[4], 0.0);
    EXPECT_EQ(field->fallVelocity[4], 0.0);

    // Two draws per streak, and a third for the bounce of streak 5.
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
    auto field = freshField(2.0, 0.5);
    cascade::scene.fogOn = 0;
    cascade::scene.streakDepthOn = cascade::scene.lightingOn = 1;
    placeAll(*field, 1.0, 0.0);
    field->flowSpeed[0] = 0.25;
    field->z[1] = 0.5;  // short of the edge: keeps its height
    // Within the edge's wave the sine decides: a crest ahead, a trough behind.
    field->z[2] = field->z[3] = 0.05;
    field->x[2] = 0.2;
    field->x[3] = -0.2;
    randomSeed(9);
    gldouble::reset();
    field->updateAndDraw();
    SequenceReplay replay(9);
    EXPECT_EQ(field->x[0], (replay.frand(0.002) - 0.001) + 0.0);
    EXPECT_EQ(field->z[0], -0.5 - (replay.frand(0.0001) * 2.0 + 2.0 * 0.5 * 0.25));
    EXPECT_EQ(field->fallVelocity[0], -2.0 * 0.5 * 0.04);
    EXPECT_EQ(field->y[0], 1.0 - 0.04);
    EXPECT_TRUE(field->y[1] == 1.0 && field->y[2] == 1.0 - 0.04 && field->y[3] == 1.0);
    EXPECT_EQ(gldouble::slice(2, 3), (Calls{Call("glEnable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_TRUE}),
                                            Call("glEnable", {GL_LIGHTING})}));
    EXPECT_EQ(gldouble::slice(5 + 6 * count, 4), (Calls{Call("glDisable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_FALSE}),
                                                        Call("glDisable", {GL_LIGHTING})}));
}

TEST(StreakField, ByWidthDrawsTheSameLinesGroupedAndMovesTheSame)
{
    // Frames that spawn, flow, fall, bounce and respawn, in both orders from
    // one seed; the last frame of each is traced.
    auto run = [](StreakField::LineOrder order) {
        auto field = freshField(1.0, 0.02);
        field->lineOrder = order;
        randomSeed(31);
        gldouble::setRecording(false);
        for (int frame = 0; frame < 40; ++frame) {
            cascade::clock.deltaSeconds = frame == 1 ? 0.7 : 0.05;
            if (frame == 39) {
                gldouble::setRecording(true);
                gldouble::reset();
            }
            field->updateAndDraw();
        }
        return std::make_pair(std::move(field), randomNext());
    };
    const auto [exact, exactNext] = run(StreakField::LineOrder::byIndex);
    const Calls exactCalls = gldouble::calls();
    const auto [grouped, groupedNext] = run(StreakField::LineOrder::byWidth);
    const Calls& groupedCalls = gldouble::calls();

    EXPECT_EQ(groupedNext, exactNext);
    const double* arrays[][2] = {{exact->x, grouped->x}, {exact->y, grouped->y}, {exact->z, grouped->z},
                                 {exact->prevX, grouped->prevX}, {exact->prevY, grouped->prevY},
                                 {exact->prevZ, grouped->prevZ}, {exact->fallVelocity, grouped->fallVelocity},
                                 {exact->red, grouped->red}, {exact->flowSpeed, grouped->flowSpeed}};
    for (const auto& pair : arrays)
        EXPECT_TRUE(std::equal(pair[0], pair[0] + count, pair[1]));
    EXPECT_TRUE(std::equal(exact->lineWidth, exact->lineWidth + count, grouped->lineWidth));
    int bouncing = 0;
    for (int i = 0; i < count; ++i)
        bouncing += exact->fallVelocity[i] > 0;
    EXPECT_GT(bouncing, 0);

    // The exact trace's lines, each with its colour, regrouped by width in
    // index order: one width and one glBegin/glEnd per group.
    Calls expected(exactCalls.begin(), exactCalls.begin() + 3);
    for (int width = 1; width <= 3; ++width) {
        expected.push_back(Call("glLineWidth", {float(width)}));
        expected.push_back(Call("glBegin", {GL_LINES}));
        for (int i = 0; i < count; ++i) {
            const std::size_t at = 3 + 6 * static_cast<std::size_t>(i);
            ASSERT_EQ(exactCalls[at].name, "glLineWidth");
            if (exactCalls[at].args[0] != width)
                continue;
            expected.push_back(exactCalls[at + 1]);
            expected.push_back(exactCalls[at + 3]);
            expected.push_back(exactCalls[at + 4]);
        }
        expected.push_back(Call("glEnd"));
    }
    expected.push_back(exactCalls.back());
    ASSERT_EQ(groupedCalls.size(), expected.size());
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), groupedCalls.begin());
    EXPECT_TRUE(mismatch.first == expected.end())
        << "call " << (mismatch.first - expected.begin()) << ": " << *mismatch.second << " instead of " << *mismatch.first;
}
