// cascade -autostart on|off: the idle watcher started at each login, or no
// longer. Desktops that read XDG autostart entries (GNOME, KDE, XFCE, MATE,
// LXQt) get one; for compositors that read only their own configuration the
// exact line is printed, since their files are the user's to arrange.
#pragma once

#include "linux/common/options.h"

#include <string>
#include <vector>

int runAutostart(const Options& options);

// The watcher's command line: program (cascade's path) with the watcher's
// options from options.
std::vector<std::string> watcherCommand(const std::string& program, const Options& options);

// The line that starts the watcher from the configuration of the compositor
// this session runs, where it is one that reads no autostart entries (none
// elsewhere): what -autostart on prints, and the settings window shows.
struct CompositorLine {
    std::string compositor; // "sway"
    std::string configPath; // the file the line goes in
    std::string line;
};
std::vector<CompositorLine> compositorLines(const std::vector<std::string>& watcherCommand);

// The watcher's command line as a desktop entry's Exec value: quoted where
// the entry format asks, % doubled, backslashes escaped for the value.
std::string desktopExecLine(const std::vector<std::string>& arguments);
// The same command line for a POSIX shell.
std::string shellLine(const std::vector<std::string>& arguments);
