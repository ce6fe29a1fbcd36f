#include "x11_saver.h"

#include "fps_meter.h"
#include "glx_context.h"
#include "scene_driver.h"
#include "x11_window.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <poll.h>

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "cascade: %s\n", message.c_str());
    return 1;
}

double secondsOf(const timespec& time) { return static_cast<double>(time.tv_sec) + time.tv_nsec * 1e-9; }

timespec now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time;
}

// Waits until the deadline, returning early for X events.
void waitUntil(Display* display, const timespec& deadline)
{
    const double remaining = secondsOf(deadline) - secondsOf(now());
    if (remaining <= 0.0)
        return;
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(remaining);
    timeout.tv_nsec = static_cast<long>((remaining - static_cast<double>(timeout.tv_sec)) * 1e9);
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    ppoll(&connection, 1, &timeout, nullptr);
}

void addMicroseconds(timespec& time, long microseconds)
{
    time.tv_nsec += (microseconds % 1000000) * 1000;
    time.tv_sec += microseconds / 1000000;
    if (time.tv_nsec >= 1000000000) {
        time.tv_nsec -= 1000000000;
        ++time.tv_sec;
    }
}

bool before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

int runX11Saver(const Options& options)
{
    std::string error;
    Display* display = openDisplay(error);
    if (!display)
        return fail(error);

    X11Window window;
    XVisualInfo* ownVisual = nullptr;
    bool ready = false;
    switch (options.target) {
    case Target::OwnWindow:
    case Target::Fullscreen:
        ownVisual = chooseSaverVisual(display, error);
        ready = ownVisual && window.create(display, *ownVisual, options.width, options.height,
                                           options.target == Target::Fullscreen, error);
        break;
    case Target::Root:
        ready = window.adopt(display, DefaultRootWindow(display), error);
        break;
    case Target::ForeignWindow:
        ready = window.adopt(display, static_cast<Window>(options.windowId), error);
        break;
    case Target::Render:
        break;
    }
    if (!ready) {
        if (ownVisual)
            XFree(ownVisual);
        XCloseDisplay(display);
        return fail(error);
    }

    GlxContext context;
    const XVisualInfo visual = ownVisual ? *ownVisual : window.visual();
    if (ownVisual)
        XFree(ownVisual);
    if (!context.create(display, window.handle(), visual, error)) {
        window.destroy();
        XCloseDisplay(display);
        return fail(error);
    }

    SceneDriver driver;
    driver.start(options, window.width(), window.height());
    context.present();

    if (options.showFps)
        std::fprintf(stderr, "cascade: %s\n",
                     context.swapsOnRefresh() ? "swaps wait for the display's refresh"
                                              : "no swap control: frames are paced by -delay alone");
    FpsMeter fps;
    timespec deadline = now();
    bool quit = false;
    while (!quit) {
        if (window.processEvents())
            break;
        // The picture follows the window's size from the next frame on.
        driver.resize(window.width(), window.height());
        driver.frame();
        context.present();
        if (options.frames > 0 && driver.framesDrawn() >= options.frames)
            quit = true;

        double rate = 0.0;
        if (options.showFps && fps.frame(secondsOf(now()), rate))
            std::fprintf(stderr, "cascade: %.1f fps\n", rate);

        // At most a frame every -delay, and where swaps wait for the
        // refresh, at most one per refresh: a late frame moves the schedule
        // instead of bunching the frames that follow it.
        addMicroseconds(deadline, options.delayMicroseconds);
        const timespec current = now();
        if (before(deadline, current))
            deadline = current;
        if (!quit)
            waitUntil(display, deadline);
    }

    driver.stop();
    context.destroy();
    window.destroy();
    XCloseDisplay(display);
    return 0;
}
