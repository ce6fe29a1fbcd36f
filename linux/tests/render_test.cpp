// The headless renderer on real Mesa (llvmpipe through EGL's surfaceless
// platform): the program is run as users run it and its PNGs are examined.
#include "png_image.h"
#include "process_runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program = CASCADE_BINARY;

std::string scratchDirectory()
{
    static std::string directory;
    if (directory.empty()) {
        char pattern[] = "/tmp/cascade-render-test-XXXXXX";
        directory = mkdtemp(pattern);
    }
    return directory;
}

std::vector<std::string> filesIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

// Renders with the options after -render FILE; fails the test on errors.
RgbImage render(const std::string& name, std::vector<std::string> options)
{
    const std::string path = scratchDirectory() + "/" + name;
    std::vector<std::string> argv = {program, "-render", path};
    argv.insert(argv.end(), options.begin(), options.end());
    const ProcessResult result = runProcess(argv, {}, 120.0);
    EXPECT_TRUE(result.exited && result.exitCode == 0) << result.errorText;
    EXPECT_EQ(result.errorText, "");
    RgbImage image;
    EXPECT_TRUE(readRgbPng(path, image)) << path;
    return image;
}

struct Stats {
    long backdrop = 0; // the converged dark blue fade colour
    long black = 0;
    long bright = 0;   // streak pixels
    long dimGrey = 0;  // star points
};

bool isBackdrop(const std::uint8_t* p) { return p[0] <= 2 && p[1] <= 2 && p[2] >= 14 && p[2] <= 22; }
bool isBright(const std::uint8_t* p) { return p[0] + p[1] + p[2] >= 450; }
bool isBlack(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

Stats statsOf(const RgbImage& image, int top, int bottom)
{
    Stats stats;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            stats.backdrop += isBackdrop(p);
            stats.black += isBlack(p);
            stats.bright += isBright(p);
        }
    return stats;
}

constexpr int width = 400;
constexpr int height = 300;
const std::vector<std::string> sceneOptions = {"-size", "400x300", "-frames", "300", "-frame-ms", "16"};

class RenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { plain = new RgbImage(render("plain.png", sceneOptions)); }
    static void TearDownTestSuite()
    {
        delete plain;
        plain = nullptr;
    }
    static RgbImage* plain;
};
RgbImage* RenderTest::plain = nullptr;

} // namespace

TEST_F(RenderTest, SameOptionsGiveTheSameBytes)
{
    ASSERT_EQ(plain->width, width);
    ASSERT_EQ(plain->height, height);
    render("again.png", sceneOptions);
    const std::string first = readFileBytes(scratchDirectory() + "/plain.png");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(readFileBytes(scratchDirectory() + "/again.png"), first);

    // ...and the comparison can fail: another frame time is another picture.
    std::vector<std::string> other = sceneOptions;
    other.back() = "17";
    render("other.png", other);
    EXPECT_NE(readFileBytes(scratchDirectory() + "/other.png"), first);
}

TEST_F(RenderTest, LetterboxBarsAreBlack)
{
    std::vector<std::string> options = sceneOptions;
    options.insert(options.end(), {"-letterbox", "0.125"});
    const RgbImage boxed = render("letterbox.png", options);
    ASSERT_EQ(boxed.height, height);
    const int bar = static_cast<int>(height * 0.125); // 37 rows
    const long barPixels = static_cast<long>(bar) * width;
    EXPECT_EQ(statsOf(boxed, 0, bar).black, barPixels);
    EXPECT_EQ(statsOf(boxed, height - bar, height).black, barPixels);
    // Between the bars the picture goes on.
    const Stats band = statsOf(boxed, bar + 2, height - bar - 2);
    EXPECT_GT(band.backdrop, (height - 2 * bar - 4) * width / 3);
    // Without the letterbox those rows are not black.
    EXPECT_LT(statsOf(*plain, 0, bar).black, barPixels / 2);
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
        // No EGL vendor: libglvnd finds no driver.
        {{"-render", path, "-frames", "1"}, {"__EGL_VENDOR_LIBRARY_DIRS=/nonexistent"}, "EGL"},
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
}

TEST(RenderErrors, InterruptedRenderWritesNothing)
{
    const std::string directory = scratchDirectory() + "/interrupted";
    mkdir(directory.c_str(), 0700);
    for (int signal : {SIGTERM, SIGINT}) {
        ChildProcess child({program, "-render", directory + "/x.png", "-frames", "10000000", "-size", "64x64"});
        usleep(500000);
        ASSERT_TRUE(child.running());
        child.sendSignal(signal);
        const ProcessResult result = child.wait(10.0);
        EXPECT_TRUE(result.exited) << "signal " << signal;
        // An unfinished picture is a failure, not a success.
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.errorText.find("interrupted"), std::string::npos) << result.errorText;
        EXPECT_TRUE(filesIn(directory).empty());
    }
    rmdir(directory.c_str());
}
