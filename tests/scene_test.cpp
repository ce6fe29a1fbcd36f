#include "scene/scene.h"
#include "scene/scene_state.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "recording_gl.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

using gldouble::Call;

namespace {

int scriptedMilliseconds = 0;
int scriptedCounter() { return scriptedMilliseconds; }

void restoreOscillator(Oscillator& osc)
{
    osc.phase = 0.0;
    osc.fade = 1.0;
    osc.fadeRate = 0.0;
}

// Brings the static scene back to its state at process start, so each test
// starts the saver afresh whatever ran before it in this process.
void freshProcessState()
{
    using namespace cascade;
    gldouble::reset();
    scriptedMilliseconds = 0;
    setMillisecondCounter(scriptedCounter);
    cascade::clock = FrameClock();
    for (Oscillator* osc : {&panOsc, &riseOsc, &dollyOsc, &fadeOsc, &spareOsc})
        restoreOscillator(*osc);
    streaks.spawned = 0;
    stars.release();
    gldouble::reset();
}

// The generator steps the star cloud takes with the scene's settings, counted
// by replaying its placement and colour rules.
long starCloudDraws(SequenceReplay& replay, int points)
{
    long draws = 0;
    const float h = 2.0f;
    const float r = static_cast<float>(0.8 * 0.5 + 0.01);
    for (int i = 0; i < points; ++i) {
        for (;;) {
            float c[3];
            for (float& v : c) {
                v = (static_cast<float>(replay.frand(2.0)) - 1.0f) * h;
                ++draws;
            }
            const float d = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
            if (r * r <= d && d <= h && c[1] >= 0)
                break;
        }
        replay.skip(4);
        draws += 4;
    }
    return draws;
}

} // namespace

TEST(Scene, StartSetsValuesSeedsAndBuildsSixtySixPointStarList)
{
    freshProcessState();
    sceneStart(800, 600);
    using namespace cascade;

    EXPECT_EQ(scene.sizeUnit, 1.0);
    EXPECT_EQ(scene.worldOn, 1);
    EXPECT_EQ(scene.starsOn, 1);
    EXPECT_EQ(scene.fogOn, 1);
    EXPECT_EQ(scene.overlayOn + scene.flatPassOn + scene.streakDepthOn + scene.lightingOn, 0);
    EXPECT_EQ(camera.fov, 100.0);
    EXPECT_EQ(camera.nearPlane, 0.01f);
    EXPECT_EQ(camera.farPlane, 3.0f);
    EXPECT_EQ(camera.position.y, 0.3f);
    EXPECT_EQ(camera.position.z, -0.7f);
    EXPECT_EQ(camera.rotation.y, 180.0f);
    EXPECT_EQ(backdrop.colour.b, 0.075f);
    EXPECT_EQ(backdrop.width, 800.0f);
    EXPECT_EQ(stars.pointCount, 133);
    EXPECT_EQ(stars.innerSize, 0.8);

    // Fog parameters go to GL once, first; then the star list, then the first
    // clear, which only fades because the backdrop's alpha is 0.2.
    const std::vector<Call> fogCalls = gldouble::slice(0, 5);
    ASSERT_EQ(fogCalls.size(), 5u);
    EXPECT_EQ(fogCalls[0], Call("glFogi", {GL_FOG_MODE, GL_LINEAR}));
    EXPECT_EQ(fogCalls[3], Call("glFogf", {GL_FOG_START, 0.2f}));
    EXPECT_EQ(fogCalls[4], Call("glFogf", {GL_FOG_END, 1.7f}));
    EXPECT_EQ(gldouble::calls()[5], Call("glGenLists", {1}));
    EXPECT_EQ(gldouble::countOf("glVertex3d"), 66u);
    EXPECT_EQ(gldouble::countOf("glColor3d"), 66u);
    const std::size_t endList = gldouble::find("glEndList");
    ASSERT_NE(endList, gldouble::npos);
    const std::vector<Call> tail = gldouble::slice(endList + 1, 4);
    ASSERT_EQ(tail.size(), 4u);
    EXPECT_EQ(tail[0], Call("glDepthMask", {GL_FALSE}));
    EXPECT_EQ(tail[1], Call("glDisable", {GL_LIGHTING}));
    EXPECT_EQ(tail[2], Call("glViewport", {0, 0, 800, 600}));
    EXPECT_EQ(gldouble::countOf("glClear"), 1u);
    EXPECT_EQ(gldouble::callsNamed("glClear")[0], Call("glClear", {GL_DEPTH_BUFFER_BIT}));

    // The seed is the fixed offset: after the star cloud's draws the core's
    // sequence continues exactly where a replay from 4767352 does.
    SequenceReplay replay(4767352);
    starCloudDraws(replay, 66);
    EXPECT_EQ(randomNext(), replay.next());
}
