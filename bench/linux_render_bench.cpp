// The Linux front's headless renderer: the scene on Mesa's llvmpipe through
// EGL's surfaceless platform, as `cascade -render` draws it, 300 fixed 16 ms
// frames per run, with the streaks in the Windows saver's order and grouped
// by line width, side by side. The runs of both orders are interleaved, so a
// busy machine slows both alike; the table at the end gives the medians of
// milliseconds per frame and their ratio.
#include "linux/common/options.h"
#include "linux/common/scene_run.h"
#include "linux/render/egl_context.h"

#include "components/gl_api.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int framesPerRun = 300;

// Milliseconds per frame of every run, by width, height and order.
std::map<std::tuple<int, int, int>, std::vector<double>> runs;

void renderFrames(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto order = static_cast<DrawOrder>(state.range(2));
    state.SetLabel(order == DrawOrder::Batched ? "batched" : "exact");

    EglContext context;
    std::string error;
    if (!context.create(width, height, saverFramebuffer, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Options options;
    options.frameMs = 16;
    options.draw = order;
    SceneRun run;
    run.start(options, width, height);
    glFinish();

    double milliseconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < framesPerRun; ++frame)
            run.frame(context);
        // llvmpipe renders asynchronously: count a frame only once drawn.
        glFinish();
        milliseconds += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    const double frames = static_cast<double>(framesPerRun) * static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["ms_per_frame"] = milliseconds / frames;
    runs[{width, height, static_cast<int>(order)}].push_back(milliseconds / frames);
    run.stop();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printSideBySide()
{
    std::printf("\nmedian ms per frame   exact  batched  batched/exact  (runs)\n");
    const int sizes[][2] = {{1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        const auto exact = runs.find({size[0], size[1], static_cast<int>(DrawOrder::Exact)});
        const auto batched = runs.find({size[0], size[1], static_cast<int>(DrawOrder::Batched)});
        if (exact == runs.end() || batched == runs.end())
            continue;
        const double e = median(exact->second);
        const double b = median(batched->second);
        std::printf("%4d x %-4d         %7.2f  %7.2f  %13.3f  (%zu, %zu)\n", size[0], size[1], e, b, b / e,
                    exact->second.size(), batched->second.size());
    }
}

} // namespace

BENCHMARK(renderFrames)
    ->ArgNames({"width", "height", "batched"})
    ->Args({1280, 720, static_cast<int>(DrawOrder::Exact)})
    ->Args({1280, 720, static_cast<int>(DrawOrder::Batched)})
    ->Args({1920, 1080, static_cast<int>(DrawOrder::Exact)})
    ->Args({1920, 1080, static_cast<int>(DrawOrder::Batched)})
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv)
{
    // Interleaved unless told otherwise: both orders meet the same load.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSideBySide();
    return 0;
}
