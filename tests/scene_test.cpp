#include "scene/scene.h"
#include "scene/scene_state.h"

#include "components/random_source.h"
#include "gl_expect.h"
#include "sequence_replay.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int scriptedMilliseconds = 0;
int scriptedCounter() { return scriptedMilliseconds; }

// Starts the scene as on a fresh process, whatever ran before in this one.
void startFresh(int width, int height)
{
    using namespace cascade;
    scriptedMilliseconds = 0;
    setMillisecondCounter(scriptedCounter);
    cascade::clock = FrameClock();
    for (Oscillator* osc : {&panOsc, &riseOsc, &dollyOsc, &fadeOsc, &spareOsc}) {
        osc->phase = osc->fadeRate = 0.0;
        osc->fade = 1.0;
    }
    streaks.spawned = 0;
    stars.release();
    gldouble::reset();
    sceneStart(width, height);
}

void frameAt(int milliseconds)
{
    scriptedMilliseconds = milliseconds;
    gldouble::reset();
    sceneFrame();
}

// Replays the star cloud's placement and colours with the scene's settings
// and checks every point of the compiled list against them.
void replayStarCloud(SequenceReplay& replay)
{
    const Calls colours = gldouble::callsNamed("glColor3d");
    const Calls points = gldouble::callsNamed("glVertex3d");
    ASSERT_EQ(points.size(), 66u);
    const float h = 2.0f, r = static_cast<float>(0.8 * 0.5 + 0.01);
    for (std::size_t i = 0; i < points.size(); ++i) {
        float p[3] = {}, d = -1.0f;
        while (!(r * r <= d && d <= h && p[1] >= 0)) {
            for (float& v : p)
                v = (static_cast<float>(replay.frand(2.0)) - 1.0f) * h;
            d = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        }
        const bool tinted = replay.frand(1.0) < 0.1;
        const double range = tinted ? 0.3 : 0.1, base = tinted ? 0.1 : 0.3;
        const double blue = replay.frand(range) + base, green = replay.frand(range) + base;
        ASSERT_EQ(colours[i], Call("glColor3d", {replay.frand(range) + base, green, blue})) << i;
        ASSERT_EQ(points[i], Call("glVertex3d", {p[0], p[1], p[2]})) << i;
    }
}

} // namespace

TEST(Scene, StartSetsValuesSeedsAndBuildsTheStarList)
{
    startFresh(800, 600);
    // A backdrop that fades gets a third of the 400 points.
    EXPECT_EQ(cascade::stars.pointCount, 133);

    // Fog parameters first, then the star list, then a first clear that only
    // fades, since the backdrop's alpha is 0.2.
    EXPECT_EQ(gldouble::calls()[4], Call("glFogf", {GL_FOG_END, 1.7f}));
    EXPECT_EQ(gldouble::calls()[5], Call("glGenLists", {1}));
    EXPECT_EQ(gldouble::countOf("glVertex3d"), 66u);
    // After the star list the overlay's texture is made; its mipmaps end the reset.
    const std::size_t mipmaps = gldouble::find("gluBuild2DMipmaps", gldouble::find("glEndList"));
    ASSERT_NE(mipmaps, gldouble::npos);
    EXPECT_EQ(gldouble::slice(mipmaps + 1, 3),
              (Calls{Call("glDepthMask", {GL_FALSE}), Call("glDisable", {GL_LIGHTING}), Call("glViewport", {0, 0, 800, 600})}));
    EXPECT_EQ(gldouble::callsNamed("glClear"), (Calls{Call("glClear", {GL_DEPTH_BUFFER_BIT})}));

    // Seeded with 4767352: after the star cloud's draws and the SMOKE
    // texture's 1300 the sequence continues where a replay does.
    SequenceReplay replay(4767352);
    replayStarCloud(replay);
    replay.skip(1300);
    EXPECT_EQ(randomNext(), replay.next());
}

TEST(Scene, FirstFrameDrawsTheOscillatorsThenSpawnsEveryStreak)
{
    startFresh(800, 600);
    SequenceReplay replay(4767352);
    replayStarCloud(replay);
    replay.skip(1300);  // the overlay's SMOKE texture
    replay.skip(5);     // one draw per resting oscillator
    frameAt(16);
    int respawned = 0;
    for (int i = 0; i < StreakField::streakCount; ++i) {
        const double x = replay.frand(3.0) - 1.5, z = replay.frand(2.0) - 1.0;
        replay.skip(6);
        if (cascade::streaks.prevZ[i] == 1.0 && ++respawned)
            continue;
        ASSERT_TRUE(cascade::streaks.prevX[i] == x && cascade::streaks.prevZ[i] == z) << i;
    }
    EXPECT_LT(respawned, 60);

    // Backdrop fade, perspective, camera, star cloud without fog, streaks with fog.
    const std::size_t clear = gldouble::find("glClear"), perspective = gldouble::find("gluPerspective");
    const std::size_t stars = gldouble::find("glCallList"), streaks = gldouble::find("glLineWidth") - 3;
    ASSERT_TRUE(clear < perspective && perspective < gldouble::find("gluLookAt") && stars < streaks);
    EXPECT_EQ(gldouble::slice(perspective - 3, 4),
              (Calls{Call("glViewport", {0, 0, 800, 600}), Call("glMatrixMode", {GL_PROJECTION}), Call("glLoadIdentity"),
                     Call("gluPerspective", {100, 800.0 / 600.0, 0.01f, 3.0f})}));
    EXPECT_EQ(gldouble::slice(streaks - 2, 5),
              (Calls{Call("glPopMatrix"), Call("glDisable", {GL_FOG}), Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}),
                     Call("glEnable", {GL_BLEND}), Call("glEnable", {GL_FOG})}));
    for (std::size_t i = 0; i < streaks; ++i)
        ASSERT_NE(gldouble::calls()[i], Call("glEnable", {GL_FOG})) << i;
    EXPECT_EQ(gldouble::countOf("glCallList"), 2u);
    EXPECT_EQ(gldouble::countOf("glLineWidth"), 6000u);
    EXPECT_TRUE(cascade::backdrop.alpha >= 0.05 && cascade::backdrop.alpha <= 0.12);
}

TEST(Scene, FirstDeltaOfTenSecondsRespawnsEveryStreak)
{
    startFresh(640, 480);
    frameAt(10000);
    const Calls ends = gldouble::callsNamed("glVertex3d");
    ASSERT_EQ(ends.size(), 2u * StreakField::streakCount);
    for (std::size_t i = 0; i < ends.size(); i += 2)
        ASSERT_TRUE(ends[i] == ends[i + 1] && ends[i].args[1] == 0.8 && ends[i].args[2] == 1.0) << i;
}

TEST(Scene, LetterboxWorldSwitchFlatPassAndRelease)
{
    startFresh(800, 600);
    using namespace cascade;
    scene.letterboxSetting = 0.125;
    frameAt(20);
    EXPECT_EQ(gldouble::calls()[gldouble::find("gluPerspective") - 3], Call("glViewport", {0, 75, 800, 450}));
    EXPECT_EQ(gldouble::callsNamed("gluPerspective")[0].args[1], 800.0 / 450.0);
    EXPECT_EQ(gldouble::callsNamed("glVertex2f")[2], Call("glVertex2f", {800, 76}));

    // With the world off only the backdrop runs and the streaks stand still;
    // the flat pass drops the letterbox and leaves the whole-window 2D view.
    scene.worldOn = 0;
    scene.flatPassOn = 1;
    const double z = streaks.z[123], x = streaks.x[4567];
    frameAt(40);
    EXPECT_TRUE(streaks.z[123] == z && streaks.x[4567] == x);
    EXPECT_EQ(gldouble::countOf("glLineWidth") + gldouble::countOf("glCallList") + gldouble::countOf("gluLookAt"), 0u);
    EXPECT_EQ(backdrop.letterbox, 0.0f);
    EXPECT_EQ(gldouble::calls()[gldouble::callCount() - 6], Call("glViewport", {0, 0, 800, 600}));

    const unsigned list = stars.listId;
    gldouble::reset();
    sceneRelease();
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glDeleteLists", {double(list), 1})}));
}

TEST(Scene, NoPassTestsDepthWithOrWithoutTheOverlay)
{
    // The Linux front draws without a depth buffer on this promise.
    startFresh(800, 600);
    for (int overlay : {0, 1}) {
        cascade::scene.overlayOn = overlay;
        frameAt(16 + overlay * 16);
        ASSERT_GT(gldouble::countOf("glVertex3d"), 0u);
        const Calls enabled = gldouble::callsNamed("glEnable");
        EXPECT_EQ(std::count(enabled.begin(), enabled.end(), Call("glEnable", {GL_DEPTH_TEST})), 0) << overlay;
    }
}

TEST(Scene, CameraFollowsTheOscillatorsInScaledUnits)
{
    startFresh(800, 600);
    using namespace cascade;
    // Fresh oscillators read cos(0) = 1; the -0.7 and the angles do not scale.
    scene.sizeUnit = 2.0;
    gldouble::reset();
    animateCamera();
    EXPECT_EQ(camera.position.x, 2.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 2.45f);
    EXPECT_FLOAT_EQ(camera.position.z, -0.5f);
    EXPECT_TRUE(camera.rotation.x == -30.0f && camera.rotation.y == 147.0f);
    EXPECT_EQ(gldouble::calls().back(), Call("glTranslatef", {-2.0f, -camera.position.y, -camera.position.z}));
}
