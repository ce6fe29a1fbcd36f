// Frame costs of the scene, drawn into a GL sink that discards every call.
#include "components/frame_clock.h"
#include "recording_gl.h"
#include "scene/scene.h"
#include "scene/scene_state.h"

#include <benchmark/benchmark.h>

namespace {

// Time advances by a 60 Hz frame per reading, so streaks flow, fall and
// respawn as they do on screen.
int frameMilliseconds = 0;
int nextFrame()
{
    frameMilliseconds += 16;
    return frameMilliseconds;
}

void startScene()
{
    gldouble::setRecording(false);
    setMillisecondCounter(nextFrame);
    sceneStart(1024, 768);
    sceneFrame();  // the one-time spawn stays out of the measurement
}

void streakFieldFrame(benchmark::State& state)
{
    startScene();
    cascade::clock.deltaSeconds = 0.016;
    for (auto _ : state)
        cascade::streaks.updateAndDraw();
    benchmark::DoNotOptimize(cascade::streaks.y[0]);
}
BENCHMARK(streakFieldFrame)->Unit(benchmark::kMicrosecond);

void wholeSceneFrame(benchmark::State& state)
{
    startScene();
    for (auto _ : state)
        sceneFrame();
    benchmark::DoNotOptimize(cascade::streaks.y[0]);
}
BENCHMARK(wholeSceneFrame)->Unit(benchmark::kMicrosecond);

} // namespace
