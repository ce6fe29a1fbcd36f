// The saver left running in a window for minutes, as an unattended machine
// would run it for days: its memory must stay flat after warm-up, frames must
// keep coming, and it must still close on input at the end. The length comes
// from CASCADE_LONG_RUN_SECONDS (150 by default) for longer runs by hand.
//
// Memory is read from the heap itself, by a probe preloaded into the program
// that reports at every tenth swap: resident pages also move with the
// machine's load and the allocator's fragmentation, which made a loaded
// machine fail the test by chance.
#include "linux/tests/support/x11_fixture.h"

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

struct HeapSample {
    double seconds = 0.0;
    long long whole = 0; // everything on glibc's heap, the GL driver's included
    long long own = 0;   // what C++ code holds through operator new
};

std::vector<HeapSample> readHeapSamples(const std::string& path)
{
    std::vector<HeapSample> samples;
    std::ifstream in(path);
    HeapSample sample;
    while (in >> sample.seconds >> sample.whole >> sample.own)
        samples.push_back(sample);
    return samples;
}

// The least whole-heap figure in [from, to): the GL driver's buffers grow and
// shrink with what each frame draws, its floor stays.
long long wholeFloor(const std::vector<HeapSample>& samples, double from, double to)
{
    long long least = -1;
    for (const HeapSample& sample : samples)
        if (sample.seconds >= from && sample.seconds < to && (least < 0 || sample.whole < least))
            least = sample.whole;
    return least;
}

std::string scratchFile(const std::string& name)
{
    return "/tmp/cascade-long-run-" + name + "-" + std::to_string(getpid());
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
    const double warmUp = 20.0;
    const double floorWindow = 20.0;
    // The program's own heap is the same after every frame, to the byte, once
    // its scene is up; a leak of one 8-byte array a frame adds 24 bytes each,
    // some 90 KiB in the default run. The room is for a late shader variant.
    const long long ownAllowance = 4 * 1024;
    // The driver's floor wanders by a few hundred KiB.
    const long long wholeAllowance = 2 * 1024 * 1024;
    const std::string probeFile = scratchFile("heap");
    // llvmpipe's threaded rasterizer keeps growing its binning pools for
    // minutes; rasterizing on the drawing thread leaves only what the program
    // holds. Without the per-thread cache every freed block counts as free.
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), {"LP_NUM_THREADS=0", "GLIBC_TUNABLES=glibc.malloc.tcache_count=0",
                                           std::string("LD_PRELOAD=") + HEAP_PROBE,
                                           "CASCADE_HEAP_PROBE=" + probeFile});
    // The rate drawn in every frame as well: minutes of it must not grow.
    ChildProcess child({program, "-fps", "-fps-stderr"}, environment);
    const Window window = waitForSaverWindow(child);
    ASSERT_NE(window, 0u);
    const double started = monotonicSeconds();
    long firstResident = -1;
    while (monotonicSeconds() - started < length) {
        ASSERT_TRUE(child.running()) << "the saver ended by itself";
        if (firstResident < 0)
            firstResident = residentKiB(child.pid());
        usleep(1000000);
    }
    const long lastResident = residentKiB(child.pid());

    sendKey(window, XK_Escape);
    const ProcessResult result = child.wait(10.0);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0) << result.errorText;

    std::vector<HeapSample> samples = readHeapSamples(probeFile);
    unlink(probeFile.c_str());
    const double settledAt = started + warmUp;
    samples.erase(std::remove_if(samples.begin(), samples.end(),
                                 [&](const HeapSample& sample) { return sample.seconds < settledAt; }),
                  samples.end());
    ASSERT_GE(samples.size(), 20u) << "too few heap reports from the probe";
    const HeapSample& settled = samples.front();
    const HeapSample& last = samples.back();
    long long ownPeak = 0;
    for (const HeapSample& sample : samples)
        ownPeak = std::max(ownPeak, sample.own);
    const long long firstFloor = wholeFloor(samples, settled.seconds, settled.seconds + floorWindow);
    const long long lastFloor = wholeFloor(samples, last.seconds - floorWindow, last.seconds + 1.0);
    std::printf("own heap: %lld bytes after warm-up, %lld at the end, peak %lld; whole heap's floor: %lld bytes"
                " then %lld; resident: %ld KiB then %ld KiB; over %.0f s\n",
                settled.own, last.own, ownPeak, firstFloor, lastFloor, firstResident, lastResident, length);
    EXPECT_LE(last.own - settled.own, ownAllowance) << "the program's heap grew after warm-up";
    EXPECT_LE(ownPeak - settled.own, ownAllowance);
    EXPECT_LE(lastFloor - firstFloor, wholeAllowance) << "the heap's floor rose after warm-up";

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
