// The saver on an X server: each test starts its own Xvfb, runs the real
// program against it and talks to it the way XScreenSaver, a window manager
// or a user would.
#include "linux/tests/support/x11_fixture.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// The software rasterizer's helper threads in a process, by their names.
int rasterizerHelpers(pid_t pid)
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        count += name.rfind("llvmpipe-", 0) == 0;
    }
    return count;
}

} // namespace

TEST_F(X11Test, DrawsIntoAWindowItDidNotCreate)
{
    // As XScreenSaver does: a window of the default visual, handed over by
    // id, once as its settings program does (the .xml's --root, then
    // --window-id, and nothing in the environment: the id must win over
    // --root by itself) and once as the daemon does (--root, the window in
    // the environment alone).
    const int width = 320;
    const int height = 240;
    for (bool throughEnvironment : {false, true}) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                                  WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
        Census before = census(window, width, height);
        EXPECT_EQ(before.darkBlue, 0);

        std::vector<std::string> argv = {program, "--root", "-frames", "200", "-frame-ms", "16", "-delay", "0"};
        std::vector<std::string> environment = env();
        if (throughEnvironment)
            environment.back() = "XSCREENSAVER_WINDOW=" + std::to_string(window);
        else
            argv.insert(argv.end(), {"--window-id", hex(window)});
        const ProcessResult result = runProcess(argv, environment, 120.0);
        EXPECT_TRUE(result.exited && result.exitCode == 0) << result.errorText;

        // The picture stays in the window after the program ends.
        const Census after = census(window, width, height);
        EXPECT_GT(after.darkBlue, after.total / 4) << "through environment: " << throughEnvironment;
        EXPECT_GT(after.bright, 20) << "through environment: " << throughEnvironment;
        XDestroyWindow(display, window);
        XSync(display, False);
    }
}

TEST_F(X11Test, FpsDrawsTheRateInTheLowerLeftCornerAndNowhereElse)
{
    // The same frames (a fixed frame time) drawn three times, as the daemon
    // runs the saver, into windows of their own: plain, with the rate drawn
    // (-fps) and with the rate printed (-fps-stderr). Frames come at most
    // every 20 ms, so the first rate (after a second) is drawn well before
    // the last frame.
    const int width = 320;
    const int height = 240;
    // Wider and taller than the box the 13-pixel font needs.
    const int cornerWidth = 100;
    const int cornerHeight = 40;
    std::vector<std::vector<unsigned long>> pictures;
    std::vector<std::string> errors;
    for (const char* fps : {"", "--fps", "--fps-stderr"}) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                                  WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
        std::vector<std::string> argv = {program, "--root", "-frames", "100", "-frame-ms", "16", "-delay", "20000"};
        if (*fps)
            argv.push_back(fps);
        std::vector<std::string> environment = env();
        environment.back() = "XSCREENSAVER_WINDOW=" + hex(window);
        const ProcessResult result = runProcess(argv, environment, 120.0);
        ASSERT_TRUE(result.exited && result.exitCode == 0) << fps << ": " << result.errorText;
        errors.push_back(result.errorText);
        pictures.push_back(pixels(window, width, height));
        ASSERT_EQ(pictures.back().size(), static_cast<std::size_t>(width * height));
        XDestroyWindow(display, window);
        XSync(display, False);
    }

    long changedOutside = 0;
    long changedInside = 0;
    long white = 0;
    long black = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * width + x);
            const bool corner = x < cornerWidth && y >= height - cornerHeight;
            EXPECT_EQ(pictures[2][at], pictures[0][at]) << "-fps-stderr changed the picture at " << x << "," << y;
            if (pictures[1][at] == pictures[0][at])
                continue;
            (corner ? changedInside : changedOutside) += 1;
            white += corner && (pictures[1][at] & 0xffffff) == 0xffffff;
            black += corner && (pictures[1][at] & 0xffffff) == 0;
        }
    EXPECT_EQ(changedOutside, 0) << "-fps drew outside the lower-left corner";
    EXPECT_GT(white, 30) << "no white digits in the corner";
    EXPECT_GT(black, 300) << "no dark box behind the digits";

    // Under the daemon stderr is its log: -fps writes nothing there, and
    // -fps-stderr a rate a second.
    EXPECT_EQ(errors[0], "");
    EXPECT_EQ(errors[1], "");
    EXPECT_NE(errors[2].find(" fps\n"), std::string::npos) << errors[2];
}

TEST_F(X11Test, PictureFollowsItsWindowAsItIsResized)
{
    // A window of its own resized by the user, and XScreenSaver's preview
    // pane resized by its dialog: both go through a storm of resizes and key
    // presses and end at 640 x 480, grown from 320 x 240. A picture that kept
    // its first size stays in the bottom-left quarter; one whose frames the
    // storm bunched or pushed away stops following for seconds.
    const int storm = 50;
    // The fade takes about ten frames to turn new pixels dark blue: two
    // seconds at the cap, with room for a loaded machine. A storm that
    // pushed each frame a -delay away would stop the picture for twenty.
    const double followLimit = 4.0;
    const double rateCap = 5.0; // frames a second at -delay 200000
    for (bool own : {true, false}) {
        Window window = 0;
        // A fixed frame time: a slow machine would otherwise see long bright
        // streaks over the dark-blue backdrop that the census counts.
        std::vector<std::string> argv = {program, "-frame-ms", "16", "-delay", "200000", "-fps-stderr"};
        if (own) {
            argv.insert(argv.end(), {"-size", "320x240"});
        } else {
            window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0, 0,
                                         WhitePixel(display, DefaultScreen(display)));
            XMapWindow(display, window);
            XSync(display, False);
            argv.insert(argv.end(), {"-window-id", hex(window)});
        }
        ChildProcess child(argv, env());
        if (own)
            window = waitForSaverWindow(child);
        ASSERT_NE(window, 0u) << "own: " << own;

        // Resized only once the scene draws at its first size (a sanitized
        // build on a busy machine takes many seconds to get there).
        auto waitForPicture = [&](int width, int height, int left, double limit) {
            Census seen;
            const double deadline = monotonicSeconds() + limit;
            while (monotonicSeconds() < deadline && child.running()) {
                seen = census(window, width, height, left, 0);
                if (seen.darkBlue > seen.total / 2)
                    break;
                usleep(50000);
            }
            return seen;
        };
        const Census first = waitForPicture(320, 240, 0, 90.0);
        ASSERT_GT(first.darkBlue, first.total / 2) << "no picture at the first size; own: " << own;
        // Right after a resize, before the next frame (up to 200 ms away),
        // our own window still shows the last one: the server clears nothing.
        int blackAfterResize = 0;
        for (int i = 0; i < storm; ++i) {
            XResizeWindow(display, window, 300 + 7 * (i % 5), 220 + 5 * (i % 3));
            sendKey(window, XK_space);
            XSync(display, False);
            const Census shown = own ? census(window, 300, 220) : Census();
            blackAfterResize += own && shown.darkBlue == 0 && shown.bright == 0;
            usleep(20000);
        }
        EXPECT_EQ(0, blackAfterResize) << "of " << storm << " resizes";
        XResizeWindow(display, window, 640, 480);
        XSync(display, False);
        const double resized = monotonicSeconds();

        // The quarter the first size never reached, then the whole window.
        const Census corner = waitForPicture(320, 240, 320, 30.0);
        const double followed = monotonicSeconds() - resized;
        EXPECT_GT(corner.darkBlue, corner.total / 2) << "own: " << own;
        EXPECT_LT(followed, followLimit) << "own: " << own;
        const Census whole = census(window, 640, 480);
        EXPECT_GT(whole.darkBlue, whole.total / 4) << "own: " << own;
        EXPECT_GT(whole.bright, 20) << "own: " << own;

        child.sendSignal(SIGTERM);
        const ProcessResult result = child.wait(10.0);
        EXPECT_TRUE(result.exited && result.exitCode == 0) << result.errorText;
        // Every second's rate, storm or not, within -delay's cap (printed to
        // a tenth).
        int reports = 0;
        double fastest = 0.0;
        std::istringstream lines(result.errorText);
        std::string line;
        while (std::getline(lines, line)) {
            double fps = 0.0;
            if (std::sscanf(line.c_str(), "cascade: %lf fps", &fps) == 1) {
                ++reports;
                fastest = std::max(fastest, fps);
            }
        }
        std::printf("own: %d, followed in %.2f s, %d rate reports, fastest %.1f fps\n", own, followed, reports,
                    fastest);
        EXPECT_GE(reports, 2) << result.errorText;
        EXPECT_LE(fastest, rateCap + 0.05) << result.errorText;
        // And up to it: -delay counts from one frame's start to the next's,
        // so a frame's own time must not add to it (printed as 5.0, not 4.9).
        EXPECT_GE(fastest, rateCap - 0.05) << result.errorText;
        if (!own)
            XDestroyWindow(display, window);
        XSync(display, False);
    }
}

TEST_F(X11Test, EndsWhenItsForeignWindowIsDestroyed)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 150, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    ChildProcess child({program, "-window-id", std::to_string(window)}, env());
    usleep(800000);
    ASSERT_TRUE(child.running());
    XDestroyWindow(display, window);
    XSync(display, False);
    const ProcessResult result = child.wait(10.0);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0) << result.errorText;
    EXPECT_FALSE(result.timedOut);
}

TEST_F(X11Test, OwnWindowEndsOnEscapeQAndClose)
{
    for (const char* how : {"Escape", "q", "close"}) {
        ChildProcess child({program}, env());
        const Window window = waitForSaverWindow(child);
        ASSERT_NE(window, 0u) << how;
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        EXPECT_EQ(attributes.width, 800);
        EXPECT_EQ(attributes.height, 600);

        // A key that is not one of the two changes nothing.
        sendKey(window, XK_space);
        usleep(300000);
        EXPECT_TRUE(child.running()) << how;

        const std::string which = how;
        if (which == "Escape") {
            sendKey(window, XK_Escape);
        } else if (which == "q") {
            sendKey(window, XK_q);
        } else {
            // What a window manager sends when the user closes the window.
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, window, False, NoEventMask, &event);
            XFlush(display);
        }
        const ProcessResult result = child.wait(10.0);
        EXPECT_TRUE(result.exited) << how;
        EXPECT_EQ(result.exitCode, 0) << how << ": " << result.errorText;
    }
}

TEST_F(X11Test, PicturesUpTo1920x1200AreLaidWithoutRasterizerHelpers)
{
    // Counted once frames show, so that the context, which starts the
    // helpers, exists. The user's own LP_NUM_THREADS stands; a larger
    // picture keeps llvmpipe's default, a helper a core where there are two.
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    struct Case {
        const char* size;
        const char* setting;
        int helpers;
    };
    for (const Case& c : {Case{"1920x1200", "", 0}, Case{"800x600", "LP_NUM_THREADS=2", 2},
                          Case{"1920x1201", "", cores > 1 ? static_cast<int>(cores) : 0}}) {
        std::vector<std::string> environment = env();
        if (*c.setting)
            environment.push_back(c.setting);
        ChildProcess child({program, "-size", c.size}, environment);
        const Window window = waitForSaverWindow(child);
        ASSERT_NE(window, 0u) << c.size;
        const double deadline = monotonicSeconds() + 20.0;
        while (monotonicSeconds() < deadline && census(window, 64, 64).darkBlue == 0)
            usleep(50000);
        EXPECT_EQ(rasterizerHelpers(child.pid()), c.helpers) << c.size << " " << c.setting;
        kill(child.pid(), SIGTERM);
        EXPECT_TRUE(child.wait(10.0).exited) << c.size;
    }
}

TEST_F(X11Test, FullscreenEndsOnAMoveOfMoreThanFourPixels)
{
    ChildProcess child({program, "-fullscreen"}, env());
    const Window window = waitForSaverWindow(child);
    ASSERT_NE(window, 0u);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    EXPECT_EQ(attributes.width, 1024);
    EXPECT_EQ(attributes.height, 768);
    usleep(300000); // let it take the pointer's start position

    Window rootReturn = 0;
    Window childReturn = 0;
    int x = 0;
    int y = 0;
    int winX = 0;
    int winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &childReturn, &x, &y, &winX, &winY, &mask);
    // 4 pixels away in the sum of both axes, reached in small steps: stays.
    for (auto [dx, dy] : {std::pair{1, 0}, {2, 1}, {3, 1}, {1, 1}, {0, 0}}) {
        XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x + dx, y + dy);
        XFlush(display);
        usleep(100000);
    }
    EXPECT_TRUE(child.running());
    // 3 across and 2 down is 5: ends.
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x + 3, y + 2);
    XFlush(display);
    const ProcessResult moved = child.wait(10.0);
    EXPECT_TRUE(moved.exited);
    EXPECT_EQ(moved.exitCode, 0) << moved.errorText;

    for (const char* how : {"key", "click"}) {
        ChildProcess again({program, "-fullscreen"}, env());
        const Window saver = waitForSaverWindow(again);
        ASSERT_NE(saver, 0u);
        usleep(300000);
        if (std::string(how) == "key") {
            // Any key ends a full-screen saver, not only Escape.
            sendKey(saver, XK_space);
        } else {
            sendClick(saver);
        }
        const ProcessResult result = again.wait(10.0);
        EXPECT_TRUE(result.exited) << how;
        EXPECT_EQ(result.exitCode, 0) << how << ": " << result.errorText;
    }
}

TEST_F(X11Test, TermAndIntEndItAtOnceWithZero)
{
    // Once right as the window appears (the scene's set-up is under way)
    // and once in the middle of the frames.
    for (int signal : {SIGTERM, SIGINT}) {
        for (useconds_t pause : {0u, 700000u}) {
            ChildProcess child({program, "-size", "320x240"}, env());
            ASSERT_NE(waitForSaverWindow(child), 0u);
            usleep(pause);
            ASSERT_TRUE(child.running());
            const double sent = monotonicSeconds();
            child.sendSignal(signal);
            const ProcessResult result = child.wait(10.0);
            const double taken = monotonicSeconds() - sent;
            EXPECT_TRUE(result.exited) << "signal " << signal;
            EXPECT_EQ(result.exitCode, 0) << result.errorText;
            // Allows for the kernel's teardown of a sanitized process on a
            // busy machine; waiting for the set-up or a frame takes longer.
            EXPECT_LT(taken, 1.5) << "slow to stop on signal " << signal;
            EXPECT_EQ(result.errorText, "");
        }
    }
}

TEST_F(X11Test, ServerGoingAwayEndsItWithAMessage)
{
    ChildProcess child({program}, env());
    ASSERT_NE(waitForSaverWindow(child), 0u);
    XCloseDisplay(display);
    display = nullptr;
    usleep(300000);
    server->kill();
    const ProcessResult result = child.wait(10.0);
    // Ended by itself, not by a signal (no crash, no core).
    EXPECT_TRUE(result.exited) << "signal " << result.signal;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.errorText.find("lost the connection to the X server"), std::string::npos) << result.errorText;
}

TEST_F(X11Test, StartUpFaultsGiveOneClearLine)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string mention;
        int status;
        // Advice the run would refuse.
        std::string absent;
    };
    const std::vector<Case> cases = {
        {{"-window-id", "0x7fffff0"}, env(), "there is no window 0x7fffff0", 1, ""},
        {{"-root"}, {"DISPLAY=:31999", "XSCREENSAVER_WINDOW="}, "cannot open the X display", 1, ""},
        {{"-root"}, {server->environment(), "XSCREENSAVER_WINDOW=garbage"}, "XSCREENSAVER_WINDOW", 2, ""},
        // -lock is Wayland's alone, whatever X display there is.
        {{"-lock"}, {"WAYLAND_DISPLAY=/nonexistent/wayland-0", server->environment()},
         "cannot connect to the Wayland compositor", 1, "-x11"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult result = runProcess(argv, c.env, 20.0);
        EXPECT_TRUE(result.exited) << c.mention;
        EXPECT_EQ(result.exitCode, c.status) << c.mention;
        EXPECT_EQ(lineCount(result.errorText), 1) << result.errorText;
        EXPECT_NE(result.errorText.find(c.mention), std::string::npos) << result.errorText;
        EXPECT_TRUE(c.absent.empty() || result.errorText.find(c.absent) == std::string::npos) << result.errorText;
    }
}

TEST(X11Faults, NoGlxOnTheServerGivesOneClearLine)
{
    XvfbServer server({"-extension", "GLX"});
    ASSERT_TRUE(server.ok());
    for (const char* target : {"-root", "-window"}) {
        const ProcessResult result = runProcess({program, target}, {"WAYLAND_DISPLAY=", server.environment(), "XSCREENSAVER_WINDOW="}, 20.0);
        EXPECT_TRUE(result.exited) << target;
        EXPECT_EQ(result.exitCode, 1) << target;
        EXPECT_EQ(lineCount(result.errorText), 1) << result.errorText;
        EXPECT_NE(result.errorText.find("no GLX extension"), std::string::npos) << result.errorText;
    }
}
