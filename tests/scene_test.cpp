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

// Replays the star cloud's placement and colour rules with the scene's
// settings and checks every point of the compiled list against them.
void replayStarCloud(SequenceReplay& replay)
{
    const std::vector<Call> colours = gldouble::callsNamed("glColor3d");
    const std::vector<Call> points = gldouble::callsNamed("glVertex3d");
    ASSERT_EQ(points.size(), 66u);
    const float h = 2.0f;
    const float r = static_cast<float>(0.8 * 0.5 + 0.01);
    for (std::size_t i = 0; i < points.size(); ++i) {
        float c[3];
        for (;;) {
            for (float& v : c)
                v = (static_cast<float>(replay.frand(2.0)) - 1.0f) * h;
            const float d = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
            if (r * r <= d && d <= h && c[1] >= 0)
                break;
        }
        const bool tinted = replay.frand(1.0) < 0.1;
        const double range = tinted ? 0.3 : 0.1;
        const double base = tinted ? 0.1 : 0.3;
        const double blue = replay.frand(range) + base;
        const double green = replay.frand(range) + base;
        const double red = replay.frand(range) + base;
        ASSERT_EQ(points[i], Call("glVertex3d", {c[0], c[1], c[2]})) << i;
        ASSERT_EQ(colours[i], Call("glColor3d", {red, green, blue})) << i;
    }
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
    replayStarCloud(replay);
    EXPECT_EQ(randomNext(), replay.next());
}

TEST(Scene, FirstFrameDrawsTheOscillatorsThenSpawnsEveryStreak)
{
    freshProcessState();
    sceneStart(800, 600);
    SequenceReplay replay(4767352);
    replayStarCloud(replay);
    replay.skip(5);  // one draw per resting oscillator
    scriptedMilliseconds = 16;
    gldouble::reset();
    sceneFrame();

    using cascade::streaks;
    int respawned = 0;
    for (int i = 0; i < StreakField::streakCount; ++i) {
        const double x = replay.frand(3.0) - 1.5;
        const double z = replay.frand(2.0) - 1.0;
        replay.skip(6);
        if (streaks.prevZ[i] == 1.0)
            ++respawned;
        else
            ASSERT_TRUE(streaks.prevX[i] == x && streaks.prevZ[i] == z) << i;
    }
    EXPECT_LT(respawned, 60);
    EXPECT_GE(cascade::backdrop.alpha, 0.05);
    EXPECT_LE(cascade::backdrop.alpha, 0.12);

    // Backdrop fade, perspective, camera, star cloud without fog, then the
    // streaks with fog.
    const std::size_t clear = gldouble::find("glClear");
    const std::size_t perspective = gldouble::find("gluPerspective");
    const std::size_t lookAt = gldouble::find("gluLookAt");
    const std::size_t stars = gldouble::find("glCallList");
    const std::size_t streakBlend = gldouble::find("glLineWidth") - 3;
    ASSERT_TRUE(clear < perspective && perspective < lookAt && lookAt < stars && stars < streakBlend);
    EXPECT_EQ(gldouble::slice(0, 3), (std::vector<Call>{Call("glDepthMask", {GL_FALSE}),
                                                        Call("glDisable", {GL_LIGHTING}),
                                                        Call("glViewport", {0, 0, 800, 600})}));
    EXPECT_EQ(gldouble::calls()[perspective], Call("gluPerspective", {100, 800.0 / 600.0, 0.01f, 3.0f}));
    EXPECT_EQ(gldouble::calls()[perspective - 3], Call("glViewport", {0, 0, 800, 600}));
    EXPECT_EQ(gldouble::countOf("glCallList"), 2u);
    EXPECT_EQ(gldouble::slice(streakBlend - 2, 5),
              (std::vector<Call>{Call("glPopMatrix"), Call("glDisable", {GL_FOG}),
                                 Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}), Call("glEnable", {GL_BLEND}),
                                 Call("glEnable", {GL_FOG})}));
    EXPECT_EQ(gldouble::countOf("glLineWidth"), 6000u);
    EXPECT_EQ(gldouble::calls().back(), Call("glDisable", {GL_FOG}));
    // The first glEnable(GL_FOG) is the streaks'.
    for (std::size_t i = 0; i < streakBlend; ++i)
        ASSERT_NE(gldouble::calls()[i], Call("glEnable", {GL_FOG})) << i;
}

TEST(Scene, FirstDeltaOfTenSecondsRespawnsEveryStreak)
{
    freshProcessState();
    sceneStart(640, 480);
    scriptedMilliseconds = 10000;
    gldouble::reset();
    sceneFrame();
    const std::vector<Call> ends = gldouble::callsNamed("glVertex3d");
    ASSERT_EQ(ends.size(), 2u * StreakField::streakCount);
    for (std::size_t i = 0; i < ends.size(); i += 2) {
        ASSERT_EQ(ends[i], ends[i + 1]) << i;
        ASSERT_EQ(ends[i].args[2], 1.0) << i;
        ASSERT_EQ(ends[i].args[1], 0.8) << i;
    }
}

TEST(Scene, LetterboxWorldSwitchFlatPassAndRelease)
{
    freshProcessState();
    sceneStart(800, 600);
    using namespace cascade;
    scene.letterboxSetting = 0.125;
    scriptedMilliseconds = 20;
    gldouble::reset();
    sceneFrame();
    EXPECT_EQ(gldouble::calls()[gldouble::find("gluPerspective") - 3], Call("glViewport", {0, 75, 800, 450}));
    EXPECT_EQ(gldouble::callsNamed("gluPerspective")[0].args[1], 800.0 / 450.0);
    EXPECT_EQ(gldouble::callsNamed("glVertex2f")[2], Call("glVertex2f", {800, 76}));

    // With the world off only the backdrop runs: the streaks stand still.
    scene.worldOn = 0;
    scene.flatPassOn = 1;
    const double z = streaks.z[123];
    const double x = streaks.x[4567];
    scriptedMilliseconds = 40;
    gldouble::reset();
    sceneFrame();
    EXPECT_EQ(streaks.z[123], z);
    EXPECT_EQ(streaks.x[4567], x);
    EXPECT_EQ(gldouble::countOf("glLineWidth") + gldouble::countOf("glCallList") + gldouble::countOf("gluLookAt"), 0u);
    // The flat pass drops the letterbox and ends in the whole-window 2D view.
    EXPECT_EQ(backdrop.letterbox, 0.0f);
    EXPECT_EQ(gldouble::calls()[gldouble::callCount() - 6], Call("glViewport", {0, 0, 800, 600}));

    const unsigned list = stars.listId;
    gldouble::reset();
    sceneRelease();
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{Call("glDeleteLists", {double(list), 1})}));
}

TEST(Scene, CameraFollowsTheOscillatorsInScaledUnits)
{
    freshProcessState();
    sceneStart(800, 600);
    using namespace cascade;
    // Fresh oscillators read cos(0) = 1; the -0.7 and the angles do not scale.
    scene.sizeUnit = 2.0;
    gldouble::reset();
    animateCamera();
    EXPECT_EQ(camera.position.x, 2.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 2.45f);
    EXPECT_FLOAT_EQ(camera.position.z, -0.5f);
    EXPECT_EQ(camera.rotation.x, -30.0f);
    EXPECT_EQ(camera.rotation.y, 147.0f);
    EXPECT_EQ(gldouble::calls().back(), Call("glTranslatef", {-2.0f, -camera.position.y, -camera.position.z}));
}
