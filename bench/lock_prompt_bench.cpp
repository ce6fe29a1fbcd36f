// What the lock's password prompt costs a frame, against what -fps costs:
// the scene drawn off-screen (the headless renderer's EGL pbuffer, llvmpipe
// as on a machine without a GPU) with nothing over it, with the frame-rate
// box, and with the prompt at its dearest (a long name, a full row of dots
// and the "checking" line). Rounds of the three ways alternate; the time
// counted is the process's CPU time (llvmpipe's threads included), so a busy
// machine weighs on all alike. The table gives medians of milliseconds per
// frame.
//
//   lock_prompt_bench [ROUNDS]
#include "bench/cpu_rounds.h"
#include "linux/common/options.h"
#include "linux/common/scene_run.h"
#include "linux/lock/password_prompt.h"
#include "linux/lock/prompt_overlay.h"
#include "linux/render/egl_context.h"
#include "linux/wayland/bitmap_fps_overlay.h"

#include "components/gl_api.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int defaultRounds = 15;
constexpr double shownRate = 29.9;
constexpr int typedCharacters = 30; // more than the box has room for
constexpr const char* longName = "a-rather-long-user-name";

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultRounds;
    EglContext context;
    std::string error;
    if (!context.create(width, height, saverFramebuffer, error)) {
        std::fprintf(stderr, "lock_prompt_bench: %s\n", error.c_str());
        return 1;
    }
    BitmapFpsOverlay fps;
    fps.setRate(shownRate);
    PasswordBuffer password;
    PasswordPrompt prompt(password);
    TypedKey x;
    x.symbol = 'x';
    x.text = "x";
    for (int i = 0; i < typedCharacters; ++i)
        prompt.keyTyped(x);
    prompt.checkStarted(); // a full row of dots and a line under them
    const PromptOverlay overlay(prompt, longName);

    Options options;
    options.frameMs = 16;
    SceneRun run;
    run.start(options, width, height);
    const char* names[] = {"scene alone", "with -fps", "with the prompt"};
    std::vector<double> times[3];
    for (int round = 0; round < rounds; ++round) {
        times[0].push_back(timeRound([&] { run.frame(context); }));
        times[1].push_back(timeRound([&] {
            run.frame(context);
            fps.draw(width, height);
        }));
        times[2].push_back(timeRound([&] {
            run.frame(context);
            overlay.draw(width, height);
        }));
    }
    run.stop();
    std::printf("%dx%d pbuffer, %d rounds of %d frames; median CPU ms per frame\n", width, height, rounds,
                framesPerRound);
    for (int way = 0; way < 3; ++way)
        std::printf("%-18s %8.3f  (+%.3f)\n", names[way], median(times[way]), median(times[way]) - median(times[0]));
    return 0;
}
