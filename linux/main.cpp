// cascade: the Cascade screen saver for X11 and XScreenSaver, and a headless
// renderer of its picture.
#include "headless_render.h"
#include "options.h"
#include "stop_signals.h"
#include "x11_saver.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    Options options;
    const ParseResult parsed = parseOptions(args, std::getenv("XSCREENSAVER_WINDOW"), options);
    if (!parsed.ok) {
        std::fprintf(stderr, "cascade: %s\n", parsed.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("cascade %s\n", CASCADE_VERSION);
        return 0;
    }
    installStopSignals();
    if (options.target == Target::Render)
        return runHeadlessRender(options);
    return runX11Saver(options);
}
