#include "linux/idle/idle_watcher.h"

#include "linux/common/messages.h"
#include "linux/common/option_rules.h"
#include "linux/idle/blank_lead.h"
#include "linux/idle/desktop_lock.h"
#include "linux/idle/gnome_idle.h"
#include "linux/idle/gnome_overview.h"
#include "linux/idle/saver_process.h"
#include "linux/idle/watcher_lease.h"
#include "linux/idle/wayland_idle.h"

#include <glib-unix.h>
#include <glib.h>
#include <wayland-client.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr unsigned millisecondsPerSecond = 1000;

// The seconds of idle after which the saver comes: as asked, but before the
// desktop's own blanking where the source knows when that comes.
unsigned effectiveIdleSeconds(unsigned asked, unsigned gnomeBlank)
{
    const unsigned before = idleSecondsBeforeBlank(asked, gnomeBlank);
    if (before == asked)
        return asked;
    note("the desktop blanks the screen after " + std::to_string(gnomeBlank) + " s idle: the saver comes at " +
         std::to_string(before) + " s, before it, not at " + std::to_string(asked) + " s");
    return before;
}

class Watcher : public IdleEvents {
public:
    Watcher(const Options& options, IdleSource& source, bool ownLock)
        : options_(options), source_(source), ownLock_(ownLock),
          desktopLock_([](void* data, bool locked) { static_cast<Watcher*>(data)->desktopLockChanged(locked); },
                       this),
          overview_([](void* data) { static_cast<Watcher*>(data)->overviewOpened(); }, this)
    {
    }

    int run(WaylandDisplay& display);

    void userIdle() override;
    void userActive() override;
    void desktopBlankChanged() override;
    void sourceLost(const std::string& message) override
    {
        // The compositor and the bus may both go at once: one line.
        if (!finished_)
            finish(fail(message));
    }

    void finish(int status)
    {
        finished_ = true;
        status_ = status;
        g_main_loop_quit(loop_);
    }
    void saverEnded(int waitStatus);
    void rearmIdle();
    void lockDue();
    void lockCommandEnded(int waitStatus);
    void desktopLockChanged(bool locked);
    void overviewOpened();

private:
    const Options& options_;
    IdleSource& source_;
    // The saver locks the session itself (-lock-after, where the compositor
    // offers ext-session-lock-v1 and no -lock-command was given): one scene
    // from saver to lock, and no lock command.
    bool ownLock_;
    DesktopLock desktopLock_;
    GnomeOverview overview_;
    unsigned intervalSeconds_ = 0;
    GMainLoop* loop_ = nullptr;
    ChildProcess saver_;
    ChildProcess lockCommand_;
    unsigned lockTimer_ = 0;
    // The lock was asked for while this saver is up: the lock screen takes
    // the input that would have ended the saver, so the next activity ends
    // it instead, and the user comes back to the desktop, not to the saver.
    bool lockAsked_ = false;
    int status_ = 0;
    bool finished_ = false;
};

void Watcher::userIdle()
{
    // An idle spell under the desktop's lock is the lock's: a saver there
    // would run unseen and greet the user at unlock.
    if (saver_.running() || desktopLock_.locked())
        return;
    overview_.close();
    std::string error;
    if (!saver_.start("/proc/self/exe", saverArguments(options_, ownLock_), false,
                      [](void* data, int waitStatus) { static_cast<Watcher*>(data)->saverEnded(waitStatus); },
                      this, error)) {
        note(error);
        return;
    }
    lockAsked_ = false;
    if (options_.lockAfterSeconds > 0 && !ownLock_)
        // Not g_timeout_add_seconds, which may round to the next whole second.
        lockTimer_ = g_timeout_add(
            static_cast<unsigned>(options_.lockAfterSeconds) * millisecondsPerSecond,
            [](gpointer data) {
                static_cast<Watcher*>(data)->lockDue();
                return G_SOURCE_REMOVE;
            },
            this);
}

void Watcher::userActive()
{
    if (lockAsked_)
        saver_.requestEnd();
}

void Watcher::desktopBlankChanged()
{
    const unsigned interval = effectiveIdleSeconds(static_cast<unsigned>(options_.idleSeconds),
                                                   source_.desktopBlankSeconds());
    if (interval == intervalSeconds_)
        return;
    std::string error;
    if (!source_.changeInterval(interval * millisecondsPerSecond, error)) {
        sourceLost(error);
        return;
    }
    intervalSeconds_ = interval;
    note("the desktop's blank delay changed: the saver comes after " + std::to_string(interval) + " s idle");
}

void Watcher::desktopLockChanged(bool locked)
{
    // Once the lock goes, the next idle spell brings the saver as before.
    if (locked)
        saver_.requestEnd();
}

void Watcher::overviewOpened()
{
    // Only input the saver never saw opens the overview under it: that
    // input ends the saver, and the user comes back to the desktop they
    // left, as with any other key.
    if (!saver_.running())
        return;
    saver_.requestEnd();
    overview_.close();
}

void Watcher::saverEnded(int waitStatus)
{
    if (lockTimer_)
        g_source_remove(lockTimer_);
    lockTimer_ = 0;
    lockAsked_ = false;
    // A saver that ended with 1 has said why; one that crashed has not.
    // Neither is asked for again before the user's next activity: a saver
    // that cannot run is not restarted in a loop.
    if (WIFSIGNALED(waitStatus)) {
        note("the saver ended by " + describeWaitStatus(waitStatus) + "; watching for the next idle spell");
        return;
    }
    if (WEXITSTATUS(waitStatus) != 0 || finished_)
        return;
    rearmIdle();
}

void Watcher::rearmIdle()
{
    // A source may never tell of the next idle spell after this one: Debian
    // 12's sway says "idle" again only after input that came while idle was
    // not inhibited, and the key that ends a saver over a view that inhibits
    // idle is not such input. A subscription made anew counts the interval
    // from now (on GNOME, from the last input), whatever the old one missed.
    std::string error;
    if (!source_.changeInterval(intervalSeconds_ * millisecondsPerSecond, error))
        sourceLost(error);
}

void Watcher::lockDue()
{
    lockTimer_ = 0;
    if (lockCommand_.running() || !saver_.running())
        return;
    const std::vector<std::string> arguments = lockArguments(options_);
    std::string error;
    if (!lockCommand_.start(
            arguments[0], arguments, true,
            [](void* data, int waitStatus) { static_cast<Watcher*>(data)->lockCommandEnded(waitStatus); }, this,
            error)) {
        note(error + "; the session is not locked");
        return;
    }
    lockAsked_ = true;
    source_.watchForActivity();
}

void Watcher::lockCommandEnded(int waitStatus)
{
    if (waitStatus != 0)
        note("the lock command ended with " + describeWaitStatus(waitStatus) + "; the session may not be locked");
}

gboolean displayHandleEvents(gint, GIOCondition condition, gpointer data);
gboolean signalHandleStop(gpointer data);

struct LoopContext {
    Watcher* watcher;
    WaylandDisplay* display;
    unsigned displayWatch; // 0 once the display's source removed itself
};

int Watcher::run(WaylandDisplay& display)
{
    loop_ = g_main_loop_new(nullptr, FALSE);
    LoopContext context = {this, &display, 0};
    context.displayWatch = g_unix_fd_add(wl_display_get_fd(display.display()),
                                                static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP),
                                                displayHandleEvents, &context);
    unsigned stops[3] = {};
    const int stopSignals[3] = {SIGTERM, SIGINT, SIGHUP};
    for (int i = 0; i < 3; ++i)
        stops[i] = g_unix_signal_add(stopSignals[i], signalHandleStop, this);
    std::string error;
    const unsigned seconds = static_cast<unsigned>(options_.idleSeconds);
    intervalSeconds_ = effectiveIdleSeconds(seconds, source_.desktopBlankSeconds());
    desktopLock_.follow();
    overview_.follow();
    if (!source_.start(intervalSeconds_ * millisecondsPerSecond, *this, error)) {
        status_ = fail(error);
    } else {
        const std::string lock = desktopLock_.followed();
        note("watching " + source_.name() + ": the saver comes after " + std::to_string(intervalSeconds_) +
             " s idle" + (lock.empty() ? "" : ", never under " + lock) +
             (ownLock_ ? "; after " + std::to_string(options_.lockAfterSeconds) +
                             " s of saver it locks the session itself (ext-session-lock-v1)"
                       : ""));
        g_main_loop_run(loop_);
    }
    saver_.stop(ownLock_);
    lockCommand_.stop();
    if (lockTimer_)
        g_source_remove(lockTimer_);
    for (unsigned stop : stops)
        g_source_remove(stop);
    if (context.displayWatch)
        g_source_remove(context.displayWatch);
    g_main_loop_unref(loop_);
    return status_;
}

gboolean displayHandleEvents(gint, GIOCondition condition, gpointer data)
{
    auto* context = static_cast<LoopContext*>(data);
    wl_display* display = context->display->display();
    if ((condition & (G_IO_ERR | G_IO_HUP)) || wl_display_dispatch(display) < 0 || wl_display_flush(display) < 0) {
        context->watcher->sourceLost(context->display->lostText());
        context->displayWatch = 0;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

gboolean signalHandleStop(gpointer data)
{
    static_cast<Watcher*>(data)->finish(0);
    return G_SOURCE_CONTINUE;
}

} // namespace

int runIdleWatcher(const Options& options)
{
    if (!runsOnWayland(options, std::getenv("WAYLAND_DISPLAY")))
        return fail("-idle watches a Wayland session; on X11, XScreenSaver starts savers: "
                    "cascade-add-to-xscreensaver puts Cascade in its list");
    // Held open, and so the lease held, until the process ends.
    int leaseFd = -1;
    std::string error;
    if (!takeWatcherLease(leaseFd, error))
        return fail(error);
    WaylandDisplay display;
    WaylandIdleSource wayland(display);
    if (!display.connect({&wayland}, error))
        return fail(error);
    // Cascade's own lock where the compositor has one for clients; a lock
    // command the user named wins.
    const bool ownLock = options.lockAfterSeconds > 0 && options.lockCommand.empty() && display.sessionLocks();
    if (wayland.offered()) {
        Watcher watcher(options, wayland, ownLock);
        return watcher.run(display);
    }
    GnomeIdleSource gnome;
    std::string why;
    if (!gnome.offered(why))
        return fail("-idle needs the desktop's idle signal: the Wayland compositor offers neither "
                    "ext-idle-notify-v1 nor KDE's idle protocol, and " + why);
    Watcher watcher(options, gnome, ownLock);
    return watcher.run(display);
}
