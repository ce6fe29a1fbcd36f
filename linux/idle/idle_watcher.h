// cascade -idle: a long-running watcher that shows the full-screen saver on
// every output whenever the Wayland session has been idle long enough, by
// the desktop's own idle signal, and locks the session after it if asked.
#pragma once

#include "linux/common/options.h"

// Runs until SIGTERM, SIGINT or SIGHUP (exit 0) or until the desktop goes
// (one line, exit 1). Options are those parseOptions gave, with idleSeconds
// set.
int runIdleWatcher(const Options& options);
