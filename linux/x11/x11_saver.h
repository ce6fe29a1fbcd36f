// The saver on an X display: picks the window (own, full-screen, root or
// foreign), makes the GLX context and runs a frame every -delay until input,
// the window's end, a frame limit or SIGTERM/SIGINT stops it. Returns the
// process exit code.
#pragma once

#include "linux/common/options.h"

int runX11Saver(const Options& options);
