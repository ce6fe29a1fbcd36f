#include "linux/wayland/wayland_saver.h"

#include "linux/wayland/bitmap_fps_overlay.h"
#include "linux/wayland/input_rules.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_egl_context.h"
#include "linux/wayland/wayland_input.h"
#include "linux/wayland/wayland_window.h"

#include "linux/common/fps_meter.h"
#include "linux/common/messages.h"
#include "linux/common/scene_run.h"

#include "front/pixel_format.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Swaps never wait for a refresh: frame callbacks pace the saver (see
// wayland_egl_context.h).
constexpr int refreshesPerSwap = 0;
// Wait for events without end: only an event can make a frame due.
constexpr int untilAnEvent = -1;
constexpr int noWait = 0;
// Waiting this long with no surface due a frame means the saver was hidden
// (frame callbacks come every refresh while it is seen): the scene's clock
// leaves such a wait out, or its first frame back would leap over it.
constexpr std::chrono::milliseconds longestSeenWait{250};

// Everything one run holds, freed in reverse: the GL context before the
// surfaces it draws on, those before the connection.
struct WaylandSaver {
    explicit WaylandSaver(const Options& options)
        : options(options),
          rules(options.target == Target::Fullscreen ? InputRules::Mode::Fullscreen : InputRules::Mode::Window),
          input(rules),
          surfaces(display, options.target == Target::Fullscreen ? SurfaceMode::Fullscreen : SurfaceMode::Window)
    {
    }
    ~WaylandSaver()
    {
        // The context goes first, and the surfaces must not reach it after.
        context.destroy();
        surfaces.onGone(nullptr);
    }
    WaylandSaver(const WaylandSaver&) = delete;
    WaylandSaver& operator=(const WaylandSaver&) = delete;

    const Options& options;
    WaylandDisplay display;
    InputRules rules;
    WaylandInput input;
    WaylandSurfaces surfaces;
    WaylandEglContext context;
};

// A dead compositor leaves nothing to tear down politely: say so and go, as
// the X11 saver does when its server goes.
[[noreturn]] void lostCompositor(const WaylandDisplay& display)
{
    endAtOnce(display.lostText(), exitFault);
}

bool open(WaylandSaver& saver, std::string& error)
{
    const bool fullscreen = saver.options.target == Target::Fullscreen;
    if (!saver.display.connect({&saver.surfaces, &saver.input}, error))
        return false;
    if (!fullscreen && !saver.display.wmBase()) {
        error = "the Wayland compositor offers no xdg_wm_base, so no window (-fullscreen may work)";
        return false;
    }
    if (!saver.context.create(saver.display.display(), saverFramebuffer, error))
        return false;
    saver.context.setSwapInterval(refreshesPerSwap);
    saver.surfaces.onGone([&saver](ShownSurface& shown) {
        saver.rules.surfaceGone(shown.surface);
        saver.context.forget(shown.surface);
    });
    saver.surfaces.start(saver.options.width, saver.options.height);
    return true;
}

// Gives every configured surface its EGL window at its size in pixels.
bool followSurfaces(WaylandSaver& saver, std::string& error)
{
    for (const ShownSurface* shown : saver.surfaces.surfaces())
        if (shown->configured &&
            !saver.context.showOn(shown->surface, shown->pixelWidth(), shown->pixelHeight(), error))
            return false;
    return true;
}

// The picture is as large as the largest surface shown: that one shows it
// pixel for pixel, the others scaled. Every configured surface counts, due a
// frame or not, so that the size does not swing with the frame callbacks.
bool sizePicture(WaylandSaver& saver, SceneRun& run, std::string& error)
{
    int width = 0;
    int height = 0;
    for (const ShownSurface* shown : saver.surfaces.surfaces())
        if (shown->configured &&
            static_cast<long long>(shown->pixelWidth()) * shown->pixelHeight() > static_cast<long long>(width) * height) {
            width = shown->pixelWidth();
            height = shown->pixelHeight();
        }
    if (!saver.context.setPictureSize(width, height, error))
        return false;
    run.resize(width, height);
    return true;
}

std::vector<ShownSurface*> surfacesDue(const WaylandSaver& saver)
{
    std::vector<ShownSurface*> due;
    for (ShownSurface* shown : saver.surfaces.surfaces())
        if (shown->wantsFrame())
            due.push_back(shown);
    return due;
}

// One frame of the scene, shown on every surface due one; each of them asks
// to be told when the compositor wants the next.
bool drawFrame(WaylandSaver& saver, const std::vector<ShownSurface*>& due, SceneRun& run, std::string& error)
{
    if (!sizePicture(saver, run, error))
        return false;
    std::vector<wl_surface*> onto;
    for (ShownSurface* surface : due) {
        saver.surfaces.requestFrame(*surface);
        onto.push_back(surface->surface);
    }
    saver.context.showNextOn(onto);
    run.frame(saver.context);
    return true;
}

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : noWait;
}

double secondsOf(Clock::time_point time) { return std::chrono::duration<double>(time.time_since_epoch()).count(); }

void reportRate(const Options& options, FpsMeter& fps, BitmapFpsOverlay& overlay, Clock::time_point frameStart)
{
    double rate = 0.0;
    if (!fps.frame(secondsOf(frameStart), rate))
        return;
    overlay.setRate(rate);
    if (options.fpsOnStderr)
        note(rateText(rate));
}

// Draws until input, the window's close or -frames end the saver; false,
// with error set, where a surface or the picture cannot be given its size.
bool runLoop(WaylandSaver& saver, std::string& error)
{
    SceneRun run;
    run.useSkippableClock();
    run.start(saver.options, 1, 1);
    BitmapFpsOverlay overlay;
    if (saver.options.showFps)
        saver.context.drawOverEachSurface([&overlay](int width, int height) { overlay.draw(width, height); });
    if (saver.options.fpsOnStderr)
        note("frames are paced by the compositor's frame callbacks and -delay");
    FpsMeter fps;
    Clock::time_point deadline = Clock::now();
    Clock::duration unseen{};
    bool nothingDue = false;
    int timeoutMs = noWait;
    bool sized = true; // false once a surface or the picture could not take its size
    for (;;) {
        const Clock::time_point waitStart = Clock::now();
        if (!saver.display.waitForEvents(timeoutMs))
            lostCompositor(saver.display);
        if (nothingDue)
            unseen += Clock::now() - waitStart;
        saver.surfaces.update();
        if (saver.rules.endRequested() || saver.surfaces.endRequested())
            break;
        sized = followSurfaces(saver, error);
        if (!sized)
            break;
        const std::vector<ShownSurface*> due = surfacesDue(saver);
        nothingDue = due.empty();
        // Hidden or not yet configured: nothing to draw until the compositor
        // says otherwise.
        timeoutMs = nothingDue ? untilAnEvent : millisecondsUntil(deadline);
        if (nothingDue || timeoutMs > noWait)
            continue;
        const Clock::time_point frameStart = Clock::now();
        // -delay is the least time from one frame's start to the next's.
        deadline = frameStart + std::chrono::microseconds(saver.options.delayMicroseconds);
        if (unseen > longestSeenWait)
            run.skipTime(std::chrono::duration_cast<std::chrono::milliseconds>(unseen).count());
        unseen = {};
        sized = drawFrame(saver, due, run, error);
        if (!sized)
            break;
        reportRate(saver.options, fps, overlay, frameStart);
        if (saver.options.frames > 0 && run.framesDrawn() >= saver.options.frames)
            break;
        timeoutMs = noWait;
    }
    saver.context.drawOverEachSurface(nullptr);
    run.stop();
    return sized;
}

} // namespace

int runWaylandSaver(const Options& options)
{
    std::string error;
    WaylandSaver saver(options);
    if (!open(saver, error) || !runLoop(saver, error))
        return fail(error);
    return 0;
}
