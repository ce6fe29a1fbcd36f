// The Linux front's headless renderer: the scene on Mesa's llvmpipe through
// EGL's surfaceless platform, as `cascade -render` draws it, 300 fixed 16 ms
// frames per run, three ways side by side: -draw exact (the Windows saver's
// streak order, framebuffer and fade), the batched order as it was before it
// dropped the depth buffer (its streaks grouped by line width, the fade
// blended over the frame), and -draw batched (no depth buffer, the fade laid
// alone). The runs are interleaved, so a busy machine slows every way alike;
// the table at the end gives the medians of the process's CPU milliseconds
// per frame (llvmpipe's threads included) and of the wall clock's, and each
// way against the one before it: the median of the runs' ratios, paired in
// the order run, and their spread.
#include "bench/cpu_rounds.h"
#include "linux/common/options.h"
#include "linux/common/scene_run.h"
#include "linux/render/egl_context.h"

#include "components/gl_api.h"
#include "scene/scene_state.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int framesPerRun = 300;

enum Way { exactWay, batchedWithDepth, batchedWay, wayCount };
const char* const wayNames[wayCount] = {"exact", "batched with depth", "batched"};

struct Run {
    double cpu;   // process CPU milliseconds per frame
    double wall;  // wall-clock milliseconds per frame
};

// Every run, by width, height and way, in the order run.
std::map<std::tuple<int, int, int>, std::vector<Run>> runs;

// The batched way as it was: the exact way's framebuffer and fade.
void startWay(Way way, EglContext& context, SceneRun& run, int width, int height, std::string& error)
{
    Options options;
    options.frameMs = 16;
    options.draw = way == exactWay ? DrawOrder::Exact : DrawOrder::Batched;
    const FramebufferFormat format = way == batchedWithDepth ? saverFramebuffer : framebufferFor(options);
    if (!context.create(width, height, format, error))
        return;
    run.start(options, width, height);
    if (way == batchedWithDepth)
        cascade::backdrop.fadeWay = Backdrop::FadeWay::blended;
    glFinish();
}

void renderFrames(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto way = static_cast<Way>(state.range(2));
    state.SetLabel(wayNames[way]);

    EglContext context;
    SceneRun run;
    std::string error;
    startWay(way, context, run, width, height, error);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    Run total{0.0, 0.0};
    for (auto _ : state) {
        const double cpuStart = processMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < framesPerRun; ++frame)
            run.frame(context);
        // llvmpipe renders asynchronously: count a frame only once drawn.
        glFinish();
        total.wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        total.cpu += processMilliseconds() - cpuStart;
    }
    const double frames = static_cast<double>(framesPerRun) * static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_frame"] = total.cpu / frames;
    runs[{width, height, way}].push_back(Run{total.cpu / frames, total.wall / frames});
    run.stop();
}

std::vector<double> field(const std::vector<Run>& list, double Run::*member)
{
    std::vector<double> values;
    for (const Run& run : list)
        values.push_back(run.*member);
    return values;
}

// "0.52 (0.49-0.55)": the median of the paired runs' CPU ratios and their range.
std::string pairedRatio(const std::vector<Run>& way, const std::vector<Run>& before)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < way.size() && i < before.size(); ++i)
        ratios.push_back(way[i].cpu / before[i].cpu);
    if (ratios.empty())
        return "-";
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f)", median(ratios), *low, *high);
    return text;
}

void printSideBySide()
{
    std::printf("\nmedians, ms per frame        CPU    wall  CPU vs the way above, paired (range)  (runs)\n");
    for (const auto& size : {std::array{1280, 720}, std::array{1920, 1080}}) {
        const std::vector<Run>* before = nullptr;
        for (int way = 0; way < wayCount; ++way) {
            const auto found = runs.find({size[0], size[1], way});
            if (found == runs.end())
                continue;
            const std::vector<Run>& list = found->second;
            std::printf("%4d x %-4d %-18s %6.2f  %6.2f  %-36s (%zu)\n", size[0], size[1], wayNames[way],
                        median(field(list, &Run::cpu)), median(field(list, &Run::wall)),
                        before ? pairedRatio(list, *before).c_str() : "", list.size());
            before = &list;
        }
    }
}

} // namespace

BENCHMARK(renderFrames)
    ->ArgNames({"width", "height", "way"})
    ->Apply([](benchmark::internal::Benchmark* benchmark) {
        for (const auto& size : {std::pair{1280, 720}, std::pair{1920, 1080}})
            for (int way = 0; way < wayCount; ++way)
                benchmark->Args({size.first, size.second, way});
    })
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv)
{
    // Interleaved unless told otherwise: every way meets the same load.
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
