// The headless renderer on real Mesa (llvmpipe through EGL's surfaceless
// platform): the program is run as users run it and its PNGs are examined.
#include "linux/tests/support/png_image.h"
#include "linux/tests/support/process_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program = CASCADE_BINARY;

// One scratch directory per test process, emptied and removed at its end.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        char pattern[] = "/tmp/cascade-render-test-XXXXXX";
        if (mkdtemp(pattern))
            path = pattern;
    }
    ~ScratchDirectory() { removeTree(path); }
    static void removeTree(const std::string& directory)
    {
        if (DIR* dir = opendir(directory.c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                const std::string full = directory + "/" + name;
                if (unlink(full.c_str()) != 0)
                    removeTree(full);
            }
            closedir(dir);
        }
        rmdir(directory.c_str());
    }
    std::string path;
};

std::string scratchDirectory()
{
    static ScratchDirectory directory;
    return directory.path;
}

// The environment that preloads render_probe.cpp with the given settings (a
// sanitizer's runtime then comes second, which it allows when told).
std::vector<std::string> withProbe(std::vector<std::string> settings)
{
    settings.insert(settings.end(),
                    {"LD_PRELOAD=" RENDER_PROBE, "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
    return settings;
}

// Renders with the options after -render FILE; fails the test on errors.
RgbImage render(const std::string& name, std::vector<std::string> options, const std::vector<std::string>& env = {})
{
    const std::string path = scratchDirectory() + "/" + name;
    std::vector<std::string> argv = {program, "-render", path};
    argv.insert(argv.end(), options.begin(), options.end());
    const ProcessResult result = runProcess(argv, env, 120.0);
    EXPECT_TRUE(result.exited && result.exitCode == 0) << result.errorText;
    EXPECT_EQ(result.errorText, "");
    RgbImage image;
    EXPECT_TRUE(readRgbPng(path, image)) << path;
    return image;
}

struct Stats {
    long pixels = 0;
    long backdrop = 0; // the dark blue the fade converges on
    long black = 0;
    long bright = 0;   // streak pixels
    long dimGrey = 0;  // star points: dim, without the backdrop's blue cast
};

bool isBackdrop(const std::uint8_t* p) { return p[0] <= 6 && p[1] <= 6 && p[2] >= 14 && p[2] <= 28; }
bool isBright(const std::uint8_t* p) { return p[0] + p[1] + p[2] >= 450; }
bool isBlack(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }
bool isDimGrey(const std::uint8_t* p)
{
    const int low = std::min({p[0], p[1], p[2]});
    const int high = std::max({p[0], p[1], p[2]});
    return low >= 30 && high <= 130 && high - low <= 30;
}

Stats statsOf(const RgbImage& image, int top, int bottom)
{
    Stats stats;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            ++stats.pixels;
            stats.backdrop += isBackdrop(p);
            stats.black += isBlack(p);
            stats.bright += isBright(p);
            stats.dimGrey += isDimGrey(p);
        }
    return stats;
}

// How two pictures of one size differ: pixels with any channel apart, those
// apart by more than rounding, and the largest channel difference.
struct Difference {
    long pixels = 0;
    long pixelsBeyondRounding = 0;
    long pixelsBeyondLook = 0;  // apart by more than a look may move
    int largest = 0;
};

Difference differenceOf(const RgbImage& a, const RgbImage& b)
{
    constexpr int roundingSteps = 2;
    constexpr int lookSteps = 8;
    Difference difference;
    if (a.pixels.size() != b.pixels.size()) {
        difference.pixels = difference.pixelsBeyondRounding = difference.pixelsBeyondLook =
            static_cast<long>(a.pixels.size());
        return difference;
    }
    for (std::size_t p = 0; p < a.pixels.size(); p += 3) {
        int pixelLargest = 0;
        for (std::size_t c = p; c < p + 3; ++c)
            pixelLargest = std::max(pixelLargest, std::abs(int(a.pixels[c]) - int(b.pixels[c])));
        difference.largest = std::max(difference.largest, pixelLargest);
        difference.pixels += pixelLargest > 0;
        difference.pixelsBeyondRounding += pixelLargest > roundingSteps;
        difference.pixelsBeyondLook += pixelLargest > lookSteps;
    }
    return difference;
}

// What a fade's rounding moves: the mean of every channel of every pixel, and
// the level the sky (the top third, where no streak falls) fades to, the most
// common blue there.
struct Look {
    double mean = 0.0;
    int skyLevel = 0;
};

Look lookOf(const RgbImage& image)
{
    Look look;
    long sum = 0;
    for (std::uint8_t channel : image.pixels)
        sum += channel;
    look.mean = image.pixels.empty() ? 0.0 : static_cast<double>(sum) / static_cast<double>(image.pixels.size());
    std::vector<long> blues(256, 0);
    for (int y = 2; y < image.height / 3; ++y)
        for (int x = 0; x < image.width; ++x)
            ++blues[image.at(x, y)[2]];
    look.skyLevel = static_cast<int>(std::max_element(blues.begin(), blues.end()) - blues.begin());
    return look;
}

constexpr int width = 400;
constexpr int height = 300;
const std::vector<std::string> sceneOptions = {"-size", "400x300", "-frames", "300", "-frame-ms", "16"};

std::vector<std::string> withOptions(std::vector<std::string> extra)
{
    std::vector<std::string> options = sceneOptions;
    options.insert(options.end(), extra.begin(), extra.end());
    return options;
}

} // namespace

TEST(Render, SceneShowsBackdropStreaksAndStars)
{
    const RgbImage plain = render("plain.png", sceneOptions);
    ASSERT_EQ(plain.width, width);
    ASSERT_EQ(plain.height, height);
    // The camera looks along the upper level, whose edge crosses the picture
    // a little above the middle: sky above it, the falling cascade below.
    const Stats sky = statsOf(plain, 2, height * 35 / 100);
    const Stats fall = statsOf(plain, height / 2, height - 2);
    EXPECT_GT(sky.backdrop, sky.pixels * 8 / 10);
    EXPECT_EQ(sky.bright, 0);
    EXPECT_GT(fall.bright, fall.pixels / 20);
    EXPECT_LT(fall.backdrop, fall.pixels / 2);
    // Dim grey star points in the sky: some, but no grey sky.
    EXPECT_GE(sky.dimGrey, 10);
    EXPECT_LT(sky.dimGrey, sky.pixels / 20);
}

TEST(Render, SameOptionsGiveTheStoredPictureByteForByte)
{
    // The small render stored in the tree (tests/reference/render.png, with a
    // render's defaults): two renders give the same bytes, the second with the
    // heap's fresh memory filled with garbage, and the picture is the stored
    // one but for a few pixels another CPU's llvmpipe might round differently.
    // One frame less is another picture, far beyond that.
    std::vector<std::string> options;
    std::istringstream words(CASCADE_REFERENCE_RENDER_OPTIONS);
    for (std::string word; words >> word;)
        options.push_back(word);
    RgbImage stored;
    ASSERT_TRUE(readRgbPng(CASCADE_REFERENCE_RENDER, stored));
    const RgbImage first = render("first.png", options);
    render("second.png", options, {"MALLOC_PERTURB_=165"});
    EXPECT_TRUE(readFileBytes(scratchDirectory() + "/second.png") == readFileBytes(scratchDirectory() + "/first.png"))
        << "two renders of the same options differ";
    const long allowed = stored.width * stored.height / 100;
    const Difference drift = differenceOf(first, stored);
    EXPECT_LE(drift.pixelsBeyondRounding, allowed)
        << "not the stored picture: " << drift.pixelsBeyondRounding << " pixels differ, by up to " << drift.largest
        << ". If it changed on purpose: cmake --build --preset ci --target update_scene_reference";
    // The exact way draws as the Windows saver does, in its framebuffer: the
    // stored picture but where blends meet (a level at most).
    std::vector<std::string> exactOptions = options;
    exactOptions.insert(exactOptions.end(), {"-draw", "exact"});
    const Difference exactDrift = differenceOf(render("exact.png", exactOptions), stored);
    EXPECT_LE(exactDrift.largest, 1) << exactDrift.pixels << " pixels differ";
    options.insert(options.end(), {"-frames", "299"});
    EXPECT_GT(differenceOf(render("fewer.png", options), stored).pixelsBeyondRounding, allowed * 10);
}

TEST(Render, LetterboxBarsAreBlack)
{
    const RgbImage boxed = render("letterbox.png", withOptions({"-letterbox", "0.125"}));
    ASSERT_EQ(boxed.height, height);
    const int bar = static_cast<int>(height * 0.125); // 37 rows each
    // GL draws points and lines wider than a pixel across the viewport's
    // edge, so the bar row next to the picture may catch a stray pixel.
    const long barPixels = static_cast<long>(bar - 1) * width;
    EXPECT_EQ(statsOf(boxed, 0, bar - 1).black, barPixels);
    EXPECT_EQ(statsOf(boxed, height - bar + 1, height).black, barPixels);
    EXPECT_GT(statsOf(boxed, bar - 1, bar).black, width * 95 / 100);
    EXPECT_GT(statsOf(boxed, height - bar, height - bar + 1).black, width * 95 / 100);
    // Between the bars the picture goes on.
    const Stats band = statsOf(boxed, bar + 2, height - bar - 2);
    EXPECT_LT(band.black, band.pixels / 10);
    EXPECT_GT(band.backdrop, band.pixels / 10);
    EXPECT_GT(band.bright, band.pixels / 50);
}

TEST(Render, OverlayCoversTheMiddle)
{
    const RgbImage plain = render("plain.png", sceneOptions);
    const RgbImage smoky = render("overlay.png", withOptions({"-overlay"}));
    // The middle of the picture: sky and the level's edge.
    auto middle = [](const RgbImage& image) {
        long greyish = 0;
        long backdrop = 0;
        for (int y = height / 4; y < height * 55 / 100; ++y)
            for (int x = width * 3 / 10; x < width * 7 / 10; ++x) {
                const std::uint8_t* p = image.at(x, y);
                const int low = std::min({p[0], p[1], p[2]});
                const int high = std::max({p[0], p[1], p[2]});
                greyish += low >= 60 && high - low <= 40;
                backdrop += isBackdrop(p);
            }
        return std::pair{greyish, backdrop};
    };
    const long area = (height * 55 / 100 - height / 4) * (width * 7 / 10 - width * 3 / 10);
    const auto [plainGrey, plainBackdrop] = middle(plain);
    const auto [smokyGrey, smokyBackdrop] = middle(smoky);
    // Without the overlay the middle is mostly dark sky; with it, smoke
    // grey laid over everything.
    EXPECT_GT(plainBackdrop, area / 3);
    EXPECT_LT(plainGrey, area / 4);
    EXPECT_GT(smokyGrey, area * 8 / 10);
    EXPECT_LT(smokyBackdrop, area / 50);
}

TEST(Render, BatchedWayKeepsTheExactWaysLook)
{
    // The batched way groups the streaks by width, draws without a depth
    // buffer and lays its fade as a batch of its own (llvmpipe's fast path,
    // which rounds its colours otherwise). After 600 frames the trails must
    // have faded as in the exact way: the same mean and sky to a level, and
    // all but a few pixels (streak ends clipped without depth) within 8.
    const std::vector<std::string> options = {"-size", "640x480", "-frames", "600", "-frame-ms", "16"};
    std::vector<std::string> exactOptions = options;
    exactOptions.insert(exactOptions.end(), {"-draw", "exact"});
    std::vector<std::string> batchedOptions = options;
    batchedOptions.insert(batchedOptions.end(), {"-draw", "batched"});
    // Each order as named: the exact one sets the width before each of the
    // 6000 streaks, the batched one once per width, three times a frame (and
    // the set-up once).
    const std::string counts = scratchDirectory() + "/widths-";
    const RgbImage exact =
        render("exact.png", exactOptions, withProbe({"CASCADE_COUNT_LINE_WIDTHS=" + counts + "exact"}));
    const RgbImage batched =
        render("batched.png", batchedOptions, withProbe({"CASCADE_COUNT_LINE_WIDTHS=" + counts + "batched"}));
    EXPECT_GT(std::atol(readFileBytes(counts + "exact").c_str()), 600L * 5000);
    EXPECT_EQ(std::atol(readFileBytes(counts + "batched").c_str()), 600L * 3 + 1);
    ASSERT_EQ(exact.width, 640);
    ASSERT_EQ(batched.pixels.size(), exact.pixels.size());

    const Look exactLook = lookOf(exact);
    const Look batchedLook = lookOf(batched);
    EXPECT_NEAR(batchedLook.mean, exactLook.mean, 1.0);
    EXPECT_NEAR(batchedLook.skyLevel, exactLook.skyLevel, 1);
    const Difference difference = differenceOf(exact, batched);
    EXPECT_LT(difference.pixelsBeyondLook, 640L * 480 / 1000)
        << difference.pixelsBeyondLook << " pixels differ by more than 8";
    // Not an empty picture agreeing with another: the cascade is there, over
    // the sky's dark blue.
    EXPECT_GT(statsOf(exact, 240, 478).bright, 640L * 238 / 20);
    EXPECT_GE(exactLook.skyLevel, 14);
    std::printf("batched vs exact: mean %.3f vs %.3f, sky level %d vs %d, %ld pixels differ, %ld by more than 8 "
                "(largest %d)\n",
                batchedLook.mean, exactLook.mean, batchedLook.skyLevel, exactLook.skyLevel, difference.pixels,
                difference.pixelsBeyondLook, difference.largest);
}

TEST(RenderErrors, BadRequestsGiveOneLineAndNoFile)
{
    const std::string directory = scratchDirectory() + "/errors";
    mkdir(directory.c_str(), 0700);
    const std::string path = directory + "/x.png";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string mention;
    };
    const std::vector<Case> cases = {
        {{"-render", path, "-size", "0x600"}, {}, "-size"},
        {{"-render", path, "-size", "9000x10"}, {}, "-size"},
        {{"-render", path, "-size", "8192x8192"}, {}, "beyond the renderer's limit"},
        {{"-render", path, "-frames", "abc"}, {}, "'abc'"},
        {{"-render", path, "-bogus"}, {}, "'-bogus'"},
        {{"-render", directory + "/missing/x.png"}, {}, "No such file or directory"},
        {{"-render", directory}, {}, "is a directory"},
        // A newline in a path must not split the message.
        {{"-render", directory + "/missing\n/x.png"}, {}, "No such file or directory"},
        // No EGL vendor: libglvnd finds no driver.
        {{"-render", path, "-frames", "1"}, {"__EGL_VENDOR_LIBRARY_DIRS=/nonexistent"}, "EGL driver is missing"},
        // Mesa's EGL without its GL driver (and without its own warning).
        {{"-render", path, "-frames", "1"}, {"LIBGL_DRIVERS_PATH=/nonexistent", "EGL_LOG_LEVEL=fatal"},
         "GL driver would not load; Mesa's is the package libgl1-mesa-dri"},
        // Pixels the memory cannot hold: said, not aborted on.
        {{"-render", path, "-size", "2000x2000"}, withProbe({"CASCADE_NEW_LIMIT=8000000"}), "out of memory"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult result = runProcess(argv, c.env, 60.0);
        EXPECT_TRUE(result.exited) << c.mention;
        EXPECT_NE(result.exitCode, 0) << c.mention;
        EXPECT_EQ(lineCount(result.errorText), 1) << result.errorText;
        EXPECT_EQ(result.errorText.rfind("cascade: ", 0), 0u) << result.errorText;
        EXPECT_NE(result.errorText.find(c.mention), std::string::npos) << result.errorText;
        EXPECT_TRUE(filesIn(directory).empty()) << c.mention;
    }
    rmdir(directory.c_str());

    // An answer that could not be printed is not a success.
    for (const char* question : {"-version", "-help"}) {
        const ProcessResult result = runProcess({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", program, question});
        EXPECT_TRUE(result.exited && result.exitCode == 1) << question << ": " << result.exitCode;
        EXPECT_EQ(lineCount(result.errorText), 1) << result.errorText;
        EXPECT_NE(result.errorText.find("No space left on device"), std::string::npos) << result.errorText;
    }
}

TEST(RenderErrors, InterruptedRenderLeavesTheOldPicture)
{
    const std::string directory = scratchDirectory() + "/interrupted";
    mkdir(directory.c_str(), 0700);
    const std::string path = directory + "/x.png";
    {
        std::ofstream old(path);
        old << "old picture";
    }
    const std::vector<std::string> argv = {program, "-render", path, "-frames", "10000000", "-size", "64x64"};
    // Each stop twice: half a second into the drawing, and at start-up the
    // moment the temporary file exists (sent by a preloaded hook), before
    // anything would clean it up unless the stops are held meanwhile. Two of
    // them with the named temporary file of file systems without unnamed ones.
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        const std::string named = signal == SIGHUP || signal == SIGQUIT ? "1" : "";
        for (bool atStart : {false, true}) {
            ProcessResult result;
            if (atStart) {
                result = runProcess(argv,
                                    withProbe({"CASCADE_STOP_SIGNAL=" + std::to_string(signal),
                                               "CASCADE_NO_UNNAMED_FILES=" + named}),
                                    10.0);
            } else {
                ChildProcess child(argv, withProbe({"CASCADE_NO_UNNAMED_FILES=" + named}));
                usleep(500000);
                ASSERT_TRUE(child.running());
                child.sendSignal(signal);
                result = child.wait(10.0);
            }
            EXPECT_TRUE(result.exited) << "signal " << signal << ", at start " << atStart;
            // An unfinished picture is a failure, not a success.
            EXPECT_EQ(result.exitCode, 1) << "signal " << signal << ", at start " << atStart;
            EXPECT_EQ(lineCount(result.errorText), 1) << result.errorText;
            EXPECT_NE(result.errorText.find("interrupted"), std::string::npos) << result.errorText;
            EXPECT_EQ(filesIn(directory), std::vector<std::string>{"x.png"});
            EXPECT_EQ(readFileBytes(path), "old picture");
        }
    }

    // Nothing can clean up after SIGKILL: only a temporary file without a
    // name leaves nothing behind, where the file system offers one.
    const int unnamed = open(directory.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (unnamed < 0) {
        std::printf("SIGKILL not tried: no unnamed files in %s\n", directory.c_str());
        return;
    }
    close(unnamed);
    ChildProcess child(argv);
    usleep(500000);
    ASSERT_TRUE(child.running());
    child.sendSignal(SIGKILL);
    child.wait(10.0);
    EXPECT_EQ(filesIn(directory), std::vector<std::string>{"x.png"});
    EXPECT_EQ(readFileBytes(path), "old picture");
}
