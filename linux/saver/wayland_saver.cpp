#include "linux/saver/wayland_saver.h"

#include "linux/wayland/bitmap_fps_overlay.h"
#include "linux/wayland/frame_pacing.h"
#include "linux/wayland/input_rules.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_egl_context.h"
#include "linux/wayland/wayland_input.h"
#include "linux/wayland/wait_limit.h"
#include "linux/wayland/wayland_window.h"

#include "linux/common/fps_meter.h"
#include "linux/common/messages.h"
#include "linux/common/rasterizer_threads.h"
#include "linux/common/scene_run.h"
#include "linux/lock/crash_refusal.h"
#include "linux/lock/memory_cushion.h"
#include "linux/lock/screen_lock.h"

#include "front/pixel_format.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>

namespace {

using Clock = FramePacing::Clock;

// Swaps never wait for a refresh: frame callbacks pace the saver (see
// wayland_egl_context.h).
constexpr int refreshesPerSwap = 0;

// Address space kept free, while the lock makes ready, for what software GL
// compiles or allocates once locked: llvmpipe's code for a way of drawing
// takes a few megabytes, a frame for a new output some more.
constexpr std::size_t lockCushionBytes = std::size_t{64} << 20;

// Everything one run holds, freed in reverse: the GL context before the
// surfaces it draws on, those before the connection.
struct WaylandSaver {
    explicit WaylandSaver(const Options& options)
        : options(options),
          rules(options.target == Target::OwnWindow ? InputRules::Mode::Window : InputRules::Mode::Fullscreen),
          input(rules),
          surfaces(display, options.target == Target::OwnWindow ? SurfaceMode::Window : SurfaceMode::Fullscreen)
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
    // Once the session's lock is asked for.
    std::unique_ptr<ScreenLock> lock;
    // -fullscreen -lock-after: when the saver becomes the lock.
    std::optional<Clock::time_point> lockDue;
    // A failure while locked is said once, not every frame.
    bool lockFailureSaid = false;
};

// A dead compositor leaves nothing to tear down politely: say so and go, as
// the X11 saver does when its server goes.
[[noreturn]] void lostCompositor(const WaylandDisplay& display)
{
    endAtOnce(display.lostText(), exitFault);
}

// The scene drawn once and the prompt over it, shown nowhere: on software
// GL the first frame's memory (its pictures, the code GL makes for each way
// of drawing) is had here, while a lack of it can still refuse the lock.
bool rehearseFrame(WaylandSaver& saver, SceneRun& run, std::string& error)
{
    run.resize(saver.context.pictureWidth(), saver.context.pictureHeight());
    saver.context.showNextOn({});
    run.frame(saver.context);
    const ScreenLock& lock = *saver.lock;
    return saver.context.rehearseFrame([&lock](int width, int height) { lock.rehearsePrompt(width, height); }, error);
}

bool lockSession(WaylandSaver& saver, SceneRun& run, std::string& error)
{
    saver.lock = ScreenLock::make(saver.rules, saver.surfaces, error);
    if (!saver.lock || !saver.lock->prepare(saver.display, error))
        return false;
    // Without the locale's compose table dead keys type nothing, which a
    // password may need.
    if (!saver.input.prepareTyping())
        note("no compose table for this locale: dead keys and Compose type nothing");
    // The outputs' sizes come once they are bound, a round trip after
    // the globals that named them.
    if (!saver.display.roundTrip())
        lostCompositor(saver.display);
    int width = 0;
    int height = 0;
    saver.surfaces.largestOutput(width, height);
    MemoryCushion cushion;
    if (!cushion.take(lockCushionBytes)) {
        error = "cannot lock: no memory to spare for what drawing needs once locked";
        return false;
    }
    if ((width > 0 && !saver.context.setPictureSize(width, height, error)) || !rehearseFrame(saver, run, error)) {
        error = "cannot lock: no memory for a frame (" + error + ")";
        return false;
    }
    cushion.giveBack();
    crashesAreCrashes();
    return saver.lock->ask(saver.display, error);
}

// The rasterizer's threads fit the picture, which is as large as the largest
// output on which it covers the screen: the outputs' sizes come a round trip
// after the globals that named them. A lost compositor shows at the next
// round trip; here the size is only unknown.
void chooseThreads(WaylandSaver& saver)
{
    if (saver.options.target == Target::OwnWindow) {
        chooseRasterizerThreads(saver.options.width, saver.options.height);
        return;
    }
    int width = 0;
    int height = 0;
    if (saver.display.roundTrip())
        saver.surfaces.largestOutput(width, height);
    chooseRasterizerThreads(width, height);
}

bool open(WaylandSaver& saver, std::string& error)
{
    const bool fullscreen = saver.options.target != Target::OwnWindow;
    // Only a plain saver may fall back to X11: -lock and -lock-after refuse it.
    const bool x11Allowed = saver.options.target != Target::Lock && saver.options.lockAfterSeconds == 0;
    if (!saver.display.connect({&saver.surfaces, &saver.input}, error, x11Allowed))
        return false;
    if (!fullscreen && !saver.display.wmBase()) {
        error = "the Wayland compositor offers no xdg_wm_base, so no window (-fullscreen may work)";
        return false;
    }
    chooseThreads(saver);
    if (!saver.context.create(saver.display.display(), saver.display.shm(), saver.display.viewporter(),
                              framebufferFor(saver.options), error))
        return false;
    saver.context.setSwapInterval(refreshesPerSwap);
    saver.surfaces.onGone([&saver](ShownSurface& shown) {
        saver.rules.surfaceGone(shown.surface);
        saver.context.forget(shown.surface);
    });
    saver.surfaces.start(saver.options.width, saver.options.height);
    if (saver.options.lockAfterSeconds > 0)
        saver.lockDue = Clock::now() + std::chrono::seconds(saver.options.lockAfterSeconds);
    return true;
}

// Gives every configured surface its EGL window at its size in pixels; one
// that fails keeps none from the others.
bool showOnSurfaces(WaylandSaver& saver, std::string& error)
{
    bool all = true;
    for (const ShownSurface* shown : saver.surfaces.surfaces())
        if (shown->configured &&
            !saver.context.showOn(shown->surface, shown->pixelWidth(), shown->pixelHeight(), shown->scale, error))
            all = false;
    return all;
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
    run.resize(saver.context.pictureWidth(), saver.context.pictureHeight());
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

// What drawing a frame takes besides the saver: the scene's run, and the
// rate's meter and overlay.
struct Drawing {
    SceneRun run;
    FpsMeter fps;
    BitmapFpsOverlay overlay;
};

// What one pass of the loop came to.
enum class Pass { Again, Ended, Failed };

double secondsOf(Clock::time_point time) { return std::chrono::duration<double>(time.time_since_epoch()).count(); }

void reportRate(const Options& options, Drawing& drawing, Clock::time_point frameStart)
{
    double rate = 0.0;
    if (!drawing.fps.frame(secondsOf(frameStart), rate))
        return;
    drawing.overlay.setRate(rate);
    if (options.fpsOnStderr)
        note(rateText(rate));
}

// Whether the session's lock is asked for or held: then the process must
// not end but by the password, whatever fails.
bool holdingLock(const WaylandSaver& saver)
{
    if (!saver.lock)
        return false;
    const ScreenLock::State state = saver.lock->state();
    return state == ScreenLock::State::Asked || state == ScreenLock::State::Held;
}

// A failure that does not end a locked saver, said once rather than every
// frame.
void noteLockedFailure(WaylandSaver& saver, const std::string& failure)
{
    if (failure.empty() || saver.lockFailureSaid)
        return;
    note("while locked: " + failure + "; the lock goes on");
    saver.lockFailureSaid = true;
}

// One frame of the scene, shown on every surface due one; each of them asks
// to be told when the compositor wants the next. Ended once -frames are
// drawn, unless the saver has become the lock.
Pass drawFrame(WaylandSaver& saver, const std::vector<ShownSurface*>& due, FramePacing& pacing, Drawing& drawing,
               std::string& error)
{
    const Clock::time_point frameStart = Clock::now();
    drawing.run.skipTime(pacing.frameStarted(frameStart));
    if (!sizePicture(saver, drawing.run, error)) {
        if (!holdingLock(saver))
            return Pass::Failed;
        // Locked, the picture keeps the size it has, shown scaled, and the
        // prompt is still drawn at each output's own size.
        noteLockedFailure(saver, error);
        error.clear();
    }
    std::vector<wl_surface*> onto;
    for (ShownSurface* surface : due) {
        saver.surfaces.requestFrame(*surface);
        onto.push_back(surface->surface);
    }
    saver.context.showNextOn(onto);
    drawing.run.frame(saver.context);
    for (ShownSurface* surface : due)
        if (saver.context.takeLackingFrame(surface->surface))
            saver.surfaces.forgetFrame(*surface);
    reportRate(saver.options, drawing, frameStart);
    // No frame count ends a lock: only its password may.
    const long frames = saver.options.frames;
    const bool counted = frames > 0 && drawing.run.framesDrawn() >= frames;
    return counted && !saver.lock ? Pass::Ended : Pass::Again;
}

// The saver becomes the lock once it is due. Where it cannot, it says so
// and stays the saver, which input ends as before.
void lockWhenDue(WaylandSaver& saver, SceneRun& run)
{
    if (!saver.lockDue || Clock::now() < *saver.lockDue)
        return;
    saver.lockDue.reset();
    std::string error;
    if (!lockSession(saver, run, error)) {
        saver.lock.reset();
        note(error);
    }
}

// How long the next wait may last: a frame's, and no later than the lock
// or, once there is one, what it must look at again.
int waitLimitMs(const WaylandSaver& saver, const FramePacing& pacing)
{
    int limit = pacing.waitLimitMs();
    if (saver.lockDue)
        limit = soonerLimitMs(limit, millisecondsUntil(*saver.lockDue, Clock::now()));
    if (!saver.lock)
        return limit;
    return saver.input.repeatWaitLimitMs(Clock::now(), saver.lock->waitLimitMs(limit));
}

// The lock's answer: unlocked, the saver has done its work; refused, it
// has failed.
Pass updateLock(WaylandSaver& saver, std::string& error)
{
    switch (saver.lock->update(saver.display, Clock::now())) {
    case ScreenLock::State::Unlocked:
        return Pass::Ended;
    case ScreenLock::State::Refused:
        error = "cannot lock: the compositor refused the lock (another locker may hold it)";
        return Pass::Failed;
    case ScreenLock::State::Idle:
    case ScreenLock::State::Asked:
    case ScreenLock::State::Held:
        break;
    }
    return Pass::Again;
}

// Waits for events, then takes in what they changed and draws a frame where
// one is due. Failed, with error set, where a surface or the picture cannot
// be given its size.
Pass runPass(WaylandSaver& saver, FramePacing& pacing, Drawing& drawing, std::string& error)
{
    const Clock::time_point waitStart = Clock::now();
    if (!saver.display.waitForEvents(waitLimitMs(saver, pacing)))
        lostCompositor(saver.display);
    pacing.waited(Clock::now() - waitStart);
    saver.input.repeatKeys(Clock::now());
    saver.surfaces.update();
    if (saver.rules.endRequested() || saver.surfaces.endRequested())
        return Pass::Ended;
    lockWhenDue(saver, drawing.run);
    if (saver.lock) {
        const Pass locked = updateLock(saver, error);
        if (locked != Pass::Again)
            return locked;
    }
    // Locked, the outputs that can be drawn still are.
    std::string surfaceError;
    if (!showOnSurfaces(saver, surfaceError)) {
        if (!holdingLock(saver)) {
            error = surfaceError;
            return Pass::Failed;
        }
        noteLockedFailure(saver, surfaceError);
    }
    const std::vector<ShownSurface*> due = surfacesDue(saver);
    if (!pacing.frameNow(!due.empty()))
        return Pass::Again;
    return drawFrame(saver, due, pacing, drawing, error);
}

// A pass while the session is locked: a frame that fails (no memory, an
// output GL cannot draw) or anything thrown is said once and the lock goes
// on, its prompt working on every output that can still be drawn. Only the
// lock's own end (unlocked, or refused before it held) ends the loop.
Pass runLockedPass(WaylandSaver& saver, FramePacing& pacing, Drawing& drawing, std::string& error)
{
    std::string failure;
    Pass pass = Pass::Again;
    try {
        pass = runPass(saver, pacing, drawing, failure);
    } catch (const std::exception& thrown) {
        failure = thrown.what();
        // A frame may have been asked for and never committed; one asked
        // for and committed is merely drawn again.
        saver.surfaces.forgetAllFrames();
    }
    if (pass == Pass::Failed && saver.lock->state() == ScreenLock::State::Refused) {
        error = failure;
        return pass;
    }
    if (pass == Pass::Failed)
        pass = Pass::Again;
    noteLockedFailure(saver, failure);
    return pass;
}

// Draws until input, the window's close or -frames end the saver; false,
// with error set, where a surface or the picture cannot be given its size.
bool runLoop(WaylandSaver& saver, std::string& error)
{
    Drawing drawing;
    drawing.run.useSkippableClock();
    drawing.run.start(saver.options, 1, 1);
    // A saver that becomes the lock later needs the prompt's hooks from now.
    const bool showFps = saver.options.showFps;
    const bool locks = saver.options.target == Target::Lock || saver.lockDue;
    if (showFps || locks)
        saver.context.drawOverEachSurface([&drawing, &saver, showFps](int width, int height) {
            if (showFps)
                drawing.overlay.draw(width, height);
            if (saver.lock)
                saver.lock->drawPrompt(width, height);
        });
    if (locks)
        saver.context.paintOverWhereGlFails([&saver](QuadSink& sink, int width, int height) {
            if (saver.lock)
                saver.lock->paintPrompt(sink, width, height);
        });
    if (saver.options.target == Target::Lock && !lockSession(saver, drawing.run, error))
        return false;
    if (saver.options.fpsOnStderr)
        note("frames are paced by the compositor's frame callbacks and -delay, and shown through " +
             std::string(presentPathName(saver.context.presentPath())));
    FramePacing pacing{std::chrono::microseconds(saver.options.delayMicroseconds)};
    Pass pass = Pass::Again;
    while (pass == Pass::Again)
        pass = holdingLock(saver) ? runLockedPass(saver, pacing, drawing, error) : runPass(saver, pacing, drawing, error);
    saver.context.drawOverEachSurface(nullptr);
    saver.context.paintOverWhereGlFails(nullptr);
    drawing.run.stop();
    return pass == Pass::Ended;
}

} // namespace

int runWaylandSaver(const Options& options)
{
    std::string error;
    if (options.target == Target::Lock)
        refuseOnCrash();
    WaylandSaver saver(options);
    if (!open(saver, error) || !runLoop(saver, error)) {
        // A lock refused ends at once: where llvmpipe could not make its
        // threads, tearing GL down waits for them for ever, and whoever
        // started the locker would never hear of the refusal.
        if (options.target == Target::Lock)
            endAtOnce(error, exitFault);
        return fail(error);
    }
    return 0;
}
