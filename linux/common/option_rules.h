// The rules between options: the one target they name, the window system
// it runs on, what the idle watcher and the lock take, and what a render
// fixes. Portable.
#pragma once

#include "linux/common/option_table.h"

#include <string>

// Settles the one target the options name, with a render's defaults, and
// rejects combinations that make no sense. xscreensaverWindow as
// parseOptions takes it.
bool chooseTarget(ParseState& state, const char* xscreensaverWindow, std::string& error);

// Whether the saver the options ask for runs on Wayland: waylandDisplay is
// the value of WAYLAND_DISPLAY, or nullptr when unset. Never for -render.
bool runsOnWayland(const Options& options, const char* waylandDisplay);
