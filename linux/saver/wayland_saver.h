// The saver on a Wayland compositor: full screen on every output (followed
// as they come and go) or in a window of its own, one scene drawn once per
// frame into a picture shown on each surface that is due a frame, paced by
// the compositor's frame callbacks and -delay. Ends on input by the saver's
// rules, a closed window, -frames or SIGTERM/SIGINT (exit 0); a lost
// compositor is one line and exit 1. Returns the process exit code.
#pragma once

#include "linux/common/options.h"

int runWaylandSaver(const Options& options);
