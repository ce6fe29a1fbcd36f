#include "linux/x11/x11_saver.h"

#include "linux/common/fps_meter.h"
#include "linux/common/messages.h"
#include "linux/common/rasterizer_threads.h"
#include "linux/common/scene_run.h"
#include "linux/x11/glx_context.h"
#include "linux/x11/glx_fps_overlay.h"
#include "linux/x11/x11_window.h"

#include <cerrno>
#include <ctime>

#include <poll.h>

namespace {

constexpr long nanosecondsPerSecond = 1000000000;
constexpr long microsecondsPerSecond = 1000000;
constexpr long nanosecondsPerMicrosecond = 1000;
constexpr double secondsPerNanosecond = 1e-9;
// Swap once per refresh of the display where GLX lets us choose: no more
// frames than the display shows.
constexpr int refreshesPerSwap = 1;

double secondsOf(const timespec& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * secondsPerNanosecond;
}

timespec now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time;
}

// Waits until the deadline, returning early for X events.
void waitUntil(Display* display, const timespec& deadline)
{
    // Events already read off the connection (a swap reads replies) would not
    // wake the poll.
    if (XEventsQueued(display, QueuedAlready) > 0)
        return;
    const double remaining = secondsOf(deadline) - secondsOf(now());
    if (remaining <= 0.0)
        return;
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(remaining);
    timeout.tv_nsec = static_cast<long>((remaining - static_cast<double>(timeout.tv_sec)) * nanosecondsPerSecond);
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    ppoll(&connection, 1, &timeout, nullptr);
}

void addMicroseconds(timespec& time, long microseconds)
{
    time.tv_nsec += (microseconds % microsecondsPerSecond) * nanosecondsPerMicrosecond;
    time.tv_sec += microseconds / microsecondsPerSecond;
    if (time.tv_nsec >= nanosecondsPerSecond) {
        time.tv_nsec -= nanosecondsPerSecond;
        ++time.tv_sec;
    }
}

bool before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The display, the window and the GL context a saver draws with; freed in
// the reverse order, the connection last.
struct X11Saver {
    X11Saver() = default;
    X11Saver(const X11Saver&) = delete;
    X11Saver& operator=(const X11Saver&) = delete;
    ~X11Saver()
    {
        context.destroy();
        window.destroy();
        if (display)
            XCloseDisplay(display);
    }

    Display* display = nullptr;
    X11Window window;
    GlxContext context;
};

// Adopts a window made by another program (the root, XScreenSaver's): GLX is
// not yet started, so the rasterizer's threads fit the window's size.
bool adoptWindow(X11Saver& saver, Window window, std::string& error)
{
    if (!saver.window.adopt(saver.display, window, error))
        return false;
    chooseRasterizerThreads(saver.window.width(), saver.window.height());
    return true;
}

// Makes or adopts the window the options name. ownVisual is the visual chosen
// for a window of our own (the caller frees it), null for an adopted one.
bool openWindow(const Options& options, X11Saver& saver, XVisualInfo*& ownVisual, std::string& error)
{
    switch (options.target) {
    case Target::OwnWindow:
    case Target::Fullscreen: {
        const int screen = DefaultScreen(saver.display);
        if (options.target == Target::Fullscreen)
            chooseRasterizerThreads(DisplayWidth(saver.display, screen), DisplayHeight(saver.display, screen));
        else
            chooseRasterizerThreads(options.width, options.height);
        ownVisual = chooseVisual(saver.display, framebufferFor(options), error);
        return ownVisual && saver.window.create(saver.display, *ownVisual, options.width, options.height,
                                                options.target == Target::Fullscreen, error);
    }
    case Target::Root:
        return adoptWindow(saver, DefaultRootWindow(saver.display), error);
    case Target::ForeignWindow:
        return adoptWindow(saver, static_cast<Window>(options.windowId), error);
    case Target::Render:
    case Target::Lock:
        break;
    }
    return false;
}

// Opens the display and the window the options name, with a GL context
// current on the window and its swaps paced by the display where GLX can.
bool openSaver(const Options& options, X11Saver& saver, std::string& error)
{
    saver.display = connectToXServer(error);
    if (!saver.display)
        return false;
    XVisualInfo* ownVisual = nullptr;
    const bool ready = openWindow(options, saver, ownVisual, error);
    const XVisualInfo visual = ownVisual ? *ownVisual : saver.window.visual();
    if (ownVisual)
        XFree(ownVisual);
    if (!ready || !saver.context.create(saver.display, saver.window.handle(), visual, error))
        return false;
    saver.context.setSwapInterval(refreshesPerSwap);
    return true;
}

// The context frames are shown with: with -fps, the overlay that draws the
// rate into each frame before the swap. A server without a font loses the
// rate, not the saver.
GLContext& shownContext(const Options& options, X11Saver& saver, GlxFpsOverlay& overlay)
{
    std::string error;
    if (!options.showFps)
        return saver.context;
    if (!overlay.create(saver.display, saver.window.height(), error)) {
        note(error + "; the frame rate is not drawn");
        return saver.context;
    }
    return overlay;
}

// One frame, at the window's size as it is now, shown through shown.
void drawFrame(X11Saver& saver, SceneRun& run, GlxFpsOverlay& overlay, GLContext& shown)
{
    // The picture follows the window's size from the next frame on.
    run.resize(saver.window.width(), saver.window.height());
    overlay.setSize(saver.window.width(), saver.window.height());
    run.frame(shown);
}

void reportRate(const Options& options, FpsMeter& fps, GlxFpsOverlay& overlay, const timespec& frameStart)
{
    double rate = 0.0;
    if (!fps.frame(secondsOf(frameStart), rate))
        return;
    overlay.setRate(rate);
    if (options.fpsOnStderr)
        note(rateText(rate));
}

// Draws until the window's user or owner ends the saver, or -frames are drawn.
void runLoop(const Options& options, X11Saver& saver)
{
    SceneRun run;
    run.start(options, saver.window.width(), saver.window.height());
    saver.context.swapBuffers();

    if (options.fpsOnStderr)
        note(saver.context.swapsOnRefresh() ? "swaps wait for the display's refresh"
                                            : "no swap control: frames are paced by -delay alone");
    GlxFpsOverlay overlay(saver.context);
    GLContext& shown = shownContext(options, saver, overlay);
    FpsMeter fps;
    timespec deadline = now();
    for (;;) {
        // Events are handled as they come; a frame only once its time has
        // come, so a storm of input or resizes neither bunches the frames
        // nor pushes the next one away.
        if (saver.window.processEvents())
            break;
        const timespec frameStart = now();
        if (before(frameStart, deadline)) {
            waitUntil(saver.display, deadline);
            continue;
        }
        // -delay is the least time from one frame's start to the next's (and
        // where swaps wait for the refresh, at most one frame per refresh): a
        // late frame moves the schedule instead of bunching the ones after it.
        deadline = frameStart;
        addMicroseconds(deadline, options.delayMicroseconds);
        drawFrame(saver, run, overlay, shown);
        reportRate(options, fps, overlay, frameStart);
        if (options.frames > 0 && run.framesDrawn() >= options.frames)
            break;
    }
    run.stop();
}

} // namespace

int runX11Saver(const Options& options)
{
    std::string error;
    X11Saver saver;
    if (!openSaver(options, saver, error))
        return fail(error);
    runLoop(options, saver);
    return 0;
}
