// cascade -autostart on|off: the idle watcher started at each login, or no
// longer, and the session's watcher started, replaced or ended at once.
// Desktops that read XDG autostart entries (GNOME, KDE, XFCE, MATE, LXQt)
// get one; for compositors that read only their own configuration the exact
// line is printed, since their files are the user's to arrange.
#pragma once

#include "linux/common/options.h"

#include <string>
#include <sys/types.h>
#include <vector>

int runAutostart(const Options& options);

// The login entry, the one record of the watcher's settings, as a settings
// window reads it.
struct AutostartEntry {
    enum class State { Absent, Readable, Unreadable };
    State state = State::Absent;
    Options options;     // when Readable: idleSeconds, lockAfterSeconds, lockCommand as its Exec line gives them
    std::string path;    // $XDG_CONFIG_HOME (or ~/.config)/autostart/cascade-idle.desktop
    std::string problem; // when Unreadable: one line saying why
    std::vector<std::string> command; // when Readable: the Exec line's arguments, the program first
};
AutostartEntry readAutostartEntry();
// The same, from the entry's text (path is left empty).
AutostartEntry parseAutostartEntry(const std::string& text);

// Where the entry is.
std::string autostartEntryPath();
// The user's configuration folder: $XDG_CONFIG_HOME where it is absolute,
// else ~/.config.
std::string configHome();

// The pid of the session's idle watcher running now, 0 if none.
pid_t runningWatcher();

// The watcher's command line: program (cascade's path) with the watcher's
// options from options.
std::vector<std::string> watcherCommand(const std::string& program, const Options& options);

// command with its program named as a user types it: by its name alone
// where the first program of that name on PATH is this very file (the
// package's /usr/bin/cascade), so that the login entry and a compositor's
// line read as the manual page does; else as given (a build folder's
// cascade), the one name that runs it.
std::vector<std::string> typedCommand(std::vector<std::string> command);

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
// Its inverse: the arguments, or false with one line in error where the
// value is not one that desktopExecLine could have written.
bool parseDesktopExecLine(const std::string& value, std::vector<std::string>& arguments, std::string& error);
// The same command line for a POSIX shell.
std::string shellLine(const std::vector<std::string>& arguments);
