// What -fps costs a frame: the saver's window on $DISPLAY (an Xvfb will do),
// frames shown through the GLX context alone and through the overlay that
// draws the rate, side by side. Rounds of both ways alternate, and the time
// counted is the process's CPU time (all its threads, llvmpipe's included),
// so a busy machine weighs on both alike and less than on the wall clock.
// The table gives the medians of milliseconds per frame, with the scene's
// frame, and with the swap alone, where the overlay's draws are the frame's
// only ones (llvmpipe's fixed cost of rasterizing a frame included).
//
//   fps_overlay_bench [ROUNDS]    (LP_NUM_THREADS=0 rasterizes on one thread)
#include "bench/cpu_rounds.h"
#include "linux/common/options.h"
#include "linux/common/scene_run.h"
#include "linux/x11/glx_context.h"
#include "linux/x11/glx_fps_overlay.h"
#include "linux/x11/x11_window.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int defaultRounds = 15;
// Any rate: the overlay draws whatever it was last given.
constexpr double shownRate = 29.9;

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRounds;
    std::string error;
    Display* display = connectToXServer(error);
    XVisualInfo* visual = display ? chooseVisual(display, saverFramebuffer, error) : nullptr;
    X11Window window;
    GlxContext context;
    if (!visual || !window.create(display, *visual, width, height, false, error) ||
        !context.create(display, window.handle(), *visual, error)) {
        std::fprintf(stderr, "fps_overlay_bench: %s\n", error.c_str());
        return 1;
    }
    XFree(visual);
    GlxFpsOverlay overlay(context);
    if (!overlay.create(display, height, error)) {
        std::fprintf(stderr, "fps_overlay_bench: %s\n", error.c_str());
        return 1;
    }
    overlay.setSize(width, height);
    overlay.setRate(shownRate);

    Options options;
    options.frameMs = 16;
    SceneRun run;
    run.start(options, width, height);
    std::vector<double> scene[2];
    std::vector<double> swap[2];
    for (int round = 0; round < rounds; ++round) {
        for (int way = 0; way < 2; ++way) {
            GLContext& shown = way ? static_cast<GLContext&>(overlay) : context;
            scene[way].push_back(timeRound([&] { run.frame(shown); }));
            swap[way].push_back(timeRound([&] { shown.swapBuffers(); }));
        }
    }
    run.stop();
    overlay.destroy();

    std::printf("%dx%d window, %d rounds of %d frames; median CPU ms per frame\n", width, height, rounds,
                framesPerRound);
    std::printf("%-22s %12s %12s %12s\n", "", "plain", "with -fps", "difference");
    std::printf("%-22s %12.3f %12.3f %12.3f\n", "scene frame and swap", median(scene[0]), median(scene[1]),
                median(scene[1]) - median(scene[0]));
    std::printf("%-22s %12.3f %12.3f %12.3f\n", "swap alone", median(swap[0]), median(swap[1]),
                median(swap[1]) - median(swap[0]));
    return 0;
}
