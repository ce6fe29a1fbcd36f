// Weeks of running compressed into one process: the scene is driven frame by
// frame with a scripted millisecond counter whose frame times are adversarial
// (none, 1 ms, 16 ms, 10 s, an hour's jump after a sleep) and which runs past
// the counter's 32-bit wrap. Nothing may turn NaN or infinite, and every
// streak must come back inside the scene whenever it is respawned.
#include "components/frame_clock.h"
#include "recording_gl.h"
#include "scene/scene.h"
#include "scene/scene_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#ifndef SOAK_FRAMES
#define SOAK_FRAMES 1000000
#endif

namespace {

std::uint32_t counterMs = 0;
int scriptedCounter() { return static_cast<int>(counterMs); }

// A cycle of frame times, mostly ordinary, with the rare extremes a real
// machine produces: two ticks in one millisecond, a stalled frame, a sleep.
std::uint32_t frameStep(long frame)
{
    if (frame % 250000 == 124999)
        return 3600u * 1000u;
    if (frame % 20000 == 9999)
        return 10000;
    switch (frame % 7) {
    case 0: return 0;
    case 1: return 1;
    case 4: return 33;
    default: return 16;
    }
}

bool isFiniteValue(double v) { return std::isfinite(v); }

} // namespace

TEST(SceneSoak, MillionFramesStayFiniteAndInBounds)
{
    using namespace cascade;
    const long frames = SOAK_FRAMES;
    // Ordinary frames average 14 ms: start so that the int counter runs out
    // about half way through the run.
    counterMs = 2147483647u - static_cast<std::uint32_t>(frames / 2 * 14);
    gldouble::setRecording(false);
    setMillisecondCounter(scriptedCounter);
    sceneStart(1280, 720);
    const double unit = scene.sizeUnit;
    std::vector<long> respawns(StreakField::streakCount, 0);
    bool wrapped = false;
    long failures = 0;

    for (long frame = 0; frame < frames && failures < 20; ++frame) {
        counterMs += frameStep(frame);
        wrapped = wrapped || scriptedCounter() < 0;
        sceneFrame();

        const double dt = cascade::clock.deltaSeconds;
        if (frame > 0 && !(dt >= 0.0 && dt <= 3600.0)) {
            ADD_FAILURE() << "frame " << frame << ": delta " << dt;
            ++failures;
        }
        if (!(backdrop.alpha >= 0.05 && backdrop.alpha <= 0.12)) {
            ADD_FAILURE() << "frame " << frame << ": backdrop alpha " << backdrop.alpha;
            ++failures;
        }
        const Vec3f& p = camera.position;
        const Vec3f& r = camera.rotation;
        if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(r.x) &&
              std::isfinite(r.y) && std::isfinite(r.z))) {
            ADD_FAILURE() << "frame " << frame << ": camera not finite";
            ++failures;
        }
        for (int i = 0; i < StreakField::streakCount; ++i) {
            if (!(isFiniteValue(streaks.x[i]) && isFiniteValue(streaks.y[i]) && isFiniteValue(streaks.z[i]) &&
                  isFiniteValue(streaks.fallVelocity[i]))) {
                ADD_FAILURE() << "frame " << frame << ": streak " << i << " not finite";
                ++failures;
                continue;
            }
            // A streak respawned this frame stands at the far end as a
            // zero-length line, with fresh values inside their ranges.
            if (streaks.z[i] == 1.0 * unit && streaks.prevZ[i] == 1.0 * unit && frame > 0) {
                ++respawns[i];
                const bool inside = streaks.x[i] >= -1.5 * unit && streaks.x[i] < 1.5 * unit &&
                                    streaks.y[i] == 0.8 * unit && streaks.fallVelocity[i] == 0.0 &&
                                    streaks.flowSpeed[i] >= 0.2 && streaks.flowSpeed[i] < 0.3 &&
                                    streaks.lineWidth[i] >= 1 && streaks.lineWidth[i] <= 3 &&
                                    streaks.red[i] >= 0.6 && streaks.red[i] < 1.0 &&
                                    streaks.green[i] >= 0.9 && streaks.green[i] < 1.0 &&
                                    streaks.blue[i] >= 0.9 && streaks.blue[i] < 1.0;
                if (!inside) {
                    ADD_FAILURE() << "frame " << frame << ": streak " << i << " respawned out of bounds";
                    ++failures;
                }
            }
        }
    }

    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(wrapped) << "the run should pass the counter's wrap";
    long neverRespawned = 0;
    for (long n : respawns)
        neverRespawned += n == 0;
    EXPECT_EQ(neverRespawned, 0) << "every streak should come round at least once";
    sceneRelease();
    setMillisecondCounter(nullptr);
}
