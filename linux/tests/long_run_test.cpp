// The saver left running in a window for minutes, as an unattended machine
// would run it for days: its memory must stay flat after warm-up, frames must
// keep coming, and it must still close on input at the end. The length comes
// from CASCADE_LONG_RUN_SECONDS (150 by default) for longer runs by hand.
#include "x11_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

double runSeconds()
{
    const char* text = std::getenv("CASCADE_LONG_RUN_SECONDS");
    const double seconds = text ? std::atof(text) : 150.0;
    return seconds >= 30.0 ? seconds : 30.0;
}

} // namespace

TEST_F(X11Test, LongRunKeepsMemoryFlatAndFramesComing)
{
    const double length = runSeconds();
    const double warmUp = 45.0;
    // llvmpipe's threaded rasterizer keeps growing its binning pools for
    // minutes, which would hide the program's own figure; rasterizing on the
    // drawing thread leaves only what the program holds.
    std::vector<std::string> environment = env();
    environment.push_back("LP_NUM_THREADS=0");
    // The rate drawn in every frame as well: minutes of it must not grow.
    ChildProcess child({program, "-fps", "-fps-stderr"}, environment);
    const Window window = waitForSaverWindow(child);
    ASSERT_NE(window, 0u);
    const double started = monotonicSeconds();

    std::vector<long> samples;  // after warm-up, one every two seconds
    long firstSample = -1;
    while (monotonicSeconds() - started < length) {
        ASSERT_TRUE(child.running()) << "the saver ended by itself";
        const long kib = residentKiB(child.pid());
        ASSERT_GT(kib, 0);
        if (firstSample < 0)
            firstSample = kib;
        if (monotonicSeconds() - started >= warmUp)
            samples.push_back(kib);
        usleep(2000000);
    }
    ASSERT_GE(samples.size(), 5u);

    sendKey(window, XK_Escape);
    const ProcessResult result = child.wait(10.0);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0) << result.errorText;

    // Growth is judged from the settled start (the smallest of the first
    // samples after warm-up) to the end. The heap in use stays the same from
    // frame to frame, but Mesa's immediate mode allocates and frees on every
    // frame, and the allocator's fragmentation creeps up slowly: allow 4 MiB
    // plus 1 MiB a minute for it, far below what a leak of even a few hundred
    // bytes a frame would add.
    const long settled = *std::min_element(samples.begin(), samples.begin() + 5);
    const long last = samples.back();
    const long peak = *std::max_element(samples.begin(), samples.end());
    const long allowance = 4096 + static_cast<long>((length - warmUp) / 60.0 * 1024);
    std::printf("resident memory: %ld KiB at start, %ld KiB after warm-up, %ld KiB at the end, peak %ld KiB"
                " over %.0f s\n", firstSample, settled, last, peak, length);
    EXPECT_LE(last - settled, allowance) << "resident memory grew after warm-up";
    EXPECT_LE(peak - settled, allowance + 2048);

    // One fps line a second, every one of them with frames in it.
    std::istringstream lines(result.errorText);
    std::string line;
    int reports = 0;
    double slowest = 1e9;
    double total = 0.0;
    while (std::getline(lines, line)) {
        double fps = 0.0;
        if (std::sscanf(line.c_str(), "cascade: %lf fps", &fps) == 1) {
            ++reports;
            slowest = std::min(slowest, fps);
            total += fps;
        }
    }
    std::printf("frame reports: %d, frames about %.0f, slowest second %.1f fps\n", reports, total, slowest);
    EXPECT_GE(reports, static_cast<int>(length * 0.8));
    EXPECT_GT(slowest, 0.0) << "a second passed without frames";
}
