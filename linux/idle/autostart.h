// cascade -autostart on|off: the idle watcher started at each login, or no
// longer. Desktops that read XDG autostart entries (GNOME, KDE, XFCE, MATE,
// LXQt) get one; for compositors that read only their own configuration the
// exact line is printed, since their files are the user's to arrange.
#pragma once

#include "linux/common/options.h"

#include <string>
#include <vector>

int runAutostart(const Options& options);

// The watcher's command line as a desktop entry's Exec value: quoted where
// the entry format asks, % doubled, backslashes escaped for the value.
std::string desktopExecLine(const std::vector<std::string>& arguments);
// The same command line for a POSIX shell.
std::string shellLine(const std::vector<std::string>& arguments);
