// cascade: the Cascade screen saver for X11 and XScreenSaver and for Wayland
// compositors, and a headless renderer of its picture.
#include "linux/common/frame_memory.h"
#include "linux/common/messages.h"
#include "linux/common/option_rules.h"
#include "linux/common/options.h"
#include "linux/common/stop_signals.h"
#include "linux/common/usage_text.h"
#include "linux/idle/autostart.h"
#include "linux/idle/idle_watcher.h"
#include "linux/render/headless_render.h"
#include "linux/saver/wayland_saver.h"
#include "linux/x11/x11_saver.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

int main(int argc, char** argv)
try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    Options options;
    const ParseResult parsed = parseOptions(args, std::getenv("XSCREENSAVER_WINDOW"), options);
    if (!parsed.ok)
        return fail(parsed.error, exitBadCommand);
    if (options.help || options.version) {
        if (options.help)
            std::fputs(usageText().c_str(), stdout);
        else
            std::printf("cascade %s\n", CASCADE_VERSION);
        // A full disk or a closed pipe must not pass for a printed answer.
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return fail(std::string("cannot write to standard output: ") + std::strerror(errno));
        return 0;
    }
    if (options.autostart != Autostart::Unchanged)
        return runAutostart(options);
    // The watcher ends its saver before itself: its own main loop takes the
    // stop signals.
    if (options.idleSeconds > 0)
        return runIdleWatcher(options);
    installStopSignals();
    keepFreedMemoryForNextFrame();
    if (options.target == Target::Render)
        return runHeadlessRender(options);
    if (runsOnWayland(options, std::getenv("WAYLAND_DISPLAY")))
        return runWaylandSaver(options);
    // An X11 saver cannot lock: it must not look as if it would.
    if (options.lockAfterSeconds > 0)
        return fail("-fullscreen -lock-after locks a Wayland session; there is none here");
    return runX11Saver(options);
} catch (const std::bad_alloc&) {
    // Unwound rather than aborted: what the run made (a render's temporary
    // file, a lock never held) goes, and the reason is said plainly.
    return fail("out of memory");
}
