// Frames per second of the Linux front's headless renderer: the scene on
// Mesa's llvmpipe through EGL's surfaceless platform, as `cascade -render`
// draws it, 300 fixed 16 ms frames per run. Read the "fps" counter's median.
#include "egl_context.h"
#include "options.h"
#include "scene_driver.h"

#include "components/gl_api.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void renderFrames(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    constexpr int framesPerRun = 300;

    EglContext context;
    std::string error;
    if (!context.create(width, height, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Options options;
    options.frameMs = 16;
    SceneDriver driver;
    driver.start(options, width, height);
    glFinish();

    for (auto _ : state) {
        for (int frame = 0; frame < framesPerRun; ++frame)
            driver.frame();
        // llvmpipe renders asynchronously: count a frame only once drawn.
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(framesPerRun) * state.iterations(),
                                               benchmark::Counter::kIsRate);
    driver.stop();
}

} // namespace

BENCHMARK(renderFrames)
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
