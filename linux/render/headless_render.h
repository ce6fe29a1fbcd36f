// -render: draws the scene off-screen through EGL and saves the last frame
// as a PNG. Returns the process exit code; errors go to stderr as one line.
#pragma once

#include "linux/common/options.h"

int runHeadlessRender(const Options& options);
