#include "linux/idle/autostart.h"

#include "linux/common/messages.h"
#include "linux/common/quoted_text.h"
#include "linux/idle/watcher_lease.h"
#include "linux/idle/watcher_control.h"
#include "linux/safe_replace/snapshot_replace.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* entryName = "cascade-idle.desktop";
constexpr mode_t folderMode = 0755;

struct Compositor {
    const char* environment; // set in its sessions
    const char* name;
    const char* configFile;  // under the configuration home
    std::string (*line)(const std::vector<std::string>&);
};

// Compositors that start nothing from XDG autostart entries: how a line of
// their own configuration starts the watcher.
const Compositor compositors[] = {
    {"SWAYSOCK", "sway", "sway/config", [](const auto& a) { return "exec " + shellLine(a); }},
    {"HYPRLAND_INSTANCE_SIGNATURE", "Hyprland", "hypr/hyprland.conf",
     [](const auto& a) { return "exec-once = " + shellLine(a); }},
    {"NIRI_SOCKET", "niri", "niri/config.kdl",
     [](const auto& a) {
         std::string line = "spawn-at-startup";
         for (const std::string& argument : a) {
             line += " \"";
             for (char c : argument)
                 line += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
             line += '"';
         }
         return line;
     }},
    {"LABWC_PID", "labwc", "labwc/autostart", [](const auto& a) { return shellLine(a) + " &"; }},
    {"WAYFIRE_SOCKET", "Wayfire", "wayfire.ini",
     [](const auto& a) { return "[autostart] cascade_idle = " + shellLine(a); }},
    {"RIVER_SOCKET", "river", "river/init",
     [](const auto& a) { return "riverctl spawn " + shellLine({shellLine(a)}); }},
};

std::string programPath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "cascade";
}

std::vector<std::string> watcherArguments(const Options& options) { return watcherCommand(programPath(), options); }

std::string entryText(const Options& options)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Cascade idle watcher\n"
           "Comment=Shows the Cascade screen saver when the session has been idle\n"
           "Exec=" + desktopExecLine(typedCommand(watcherArguments(options))) + "\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool makeFolders(const std::string& path, std::string& error)
{
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), folderMode) != 0 && errno != EEXIST) {
            error = "cannot make " + quoted(folder) + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos)
            return true;
    }
}

// The line for the compositor this session runs, where it is one that reads
// no autostart entries. Off names the line on printed, from the entry it
// removes; without one it can only describe it.
void printCompositorLine(const std::vector<std::string>& arguments, bool on)
{
    for (const CompositorLine& found : compositorLines(arguments)) {
        if (on || !arguments.empty())
            std::printf("%s reads no autostart entries: %s this line %s %s:\n  %s\n", found.compositor.c_str(),
                        on ? "add" : "remove", on ? "to" : "from", found.configPath.c_str(), found.line.c_str());
        else
            std::printf("%s reads no autostart entries: remove from %s the line that runs cascade -idle, if "
                        "you added one\n", found.compositor.c_str(), found.configPath.c_str());
    }
}

// Only a Wayland session has a watcher to start or end now. Elsewhere the
// entry is all there is, as before, and the command says why nothing runs.
bool inWaylandSession(bool on)
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return true;
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        std::printf("This is an X11 session, where XScreenSaver starts savers: no idle watcher %s now.\n",
                    on ? "started" : "ended");
    else
        std::printf("No Wayland session here (WAYLAND_DISPLAY is unset): no idle watcher %s now.\n",
                    on ? "started" : "ended");
    return false;
}

// A watcher holds the session's watcher lease that cannot be proven one this
// command may end (one of an older cascade, which wrote no pid): refused
// before anything changes, so that the entry never says one thing while
// the session runs another.
bool unprovenWatcher(std::string& error)
{
    if (!watcherLeaseHeld() || runningWatcher() != 0)
        return false;
    error = "an idle watcher runs in this session that cannot be proven to be one this command may end (" +
            watcherLeasePath() + " names no pid that holds it): end it, or log out, and run this again";
    return true;
}

bool writeEntry(const Options& options, const std::string& folder, const std::string& path, std::string& error)
{
    FileSnapshot snapshot;
    if (!makeFolders(folder, error) || !readSnapshot(path, snapshot, error))
        return false;
    const std::string text = entryText(options);
    if (snapshot.exists && snapshot.bytes == text)
        return true;
    ReplaceRequest request;
    request.path = path;
    request.snapshot = &snapshot;
    request.bytes = text;
    std::string backup;
    const ReplaceResult result = replaceIfUnchanged(request, backup, error);
    if (result == ReplaceResult::FileChanged)
        error = quoted(path) + " changed while it was written";
    return result == ReplaceResult::Replaced;
}

// The watcher of this session made the one the entry starts: left as it is
// where it runs with these arguments already, else ended and started anew.
int startNow(const std::vector<std::string>& arguments)
{
    const pid_t running = runningWatcher();
    if (running != 0 && runsCommand(running, arguments)) {
        std::printf("The idle watcher running now (pid %d) already has these settings.\n", running);
        return 0;
    }
    pid_t ended = 0;
    const EndResult end = endRunningWatcher(ended);
    if (end == EndResult::Unproven || end == EndResult::DidNotEnd)
        return fail(end == EndResult::DidNotEnd
                        ? "the idle watcher running now (pid " + std::to_string(ended) + ") did not end: it goes "
                          "on with its old settings until the next login, and no other was started"
                        : "an idle watcher that cannot be proven one of ours holds the watcher's lock file: no other "
                          "was started");
    pid_t started = 0;
    std::string error;
    if (!startWatcher(arguments, started, error))
        return fail(error + (end == EndResult::Ended ? "; the one that ran before it has ended" : "") +
                    "; the entry stands for the next login");
    if (end == EndResult::Ended)
        std::printf("The idle watcher runs now (pid %d), in place of pid %d.\n", started, ended);
    else
        std::printf("The idle watcher runs now (pid %d).\n", started);
    return 0;
}

int turnOn(const Options& options, const std::string& folder, const std::string& path)
{
    const bool live = inWaylandSession(true);
    std::string error;
    if ((live && unprovenWatcher(error)) || !writeEntry(options, folder, path, error))
        return fail(error + (live ? "; nothing changed, nothing started" : "; nothing changed"));
    const std::vector<std::string> arguments = watcherArguments(options);
    const std::vector<std::string> typed = typedCommand(arguments);
    std::printf("The idle watcher starts at each login (%s):\n  %s\n", path.c_str(), shellLine(typed).c_str());
    printCompositorLine(typed, true);
    std::fflush(stdout);
    return live ? startNow(arguments) : 0;
}

int turnOff(const std::string& path)
{
    const bool live = inWaylandSession(false);
    std::string error;
    if (live && unprovenWatcher(error))
        return fail(error + "; nothing changed");
    const AutostartEntry entry = readAutostartEntry();
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && ::unlink(path.c_str()) != 0)
        return fail("cannot remove " + quoted(path) + ": " + std::strerror(errno) + "; nothing changed");
    std::printf("The idle watcher no longer starts at login (%s is gone).\n", path.c_str());
    printCompositorLine(entry.command, false);
    pid_t ended = 0;
    const EndResult end = live ? endRunningWatcher(ended) : EndResult::NoneRan;
    if (end == EndResult::Ended)
        std::printf("The idle watcher running now (pid %d) has ended.\n", ended);
    if (end == EndResult::Unproven || end == EndResult::DidNotEnd)
        return fail("the idle watcher running now " +
                    (ended ? "(pid " + std::to_string(ended) + ") did not end" : std::string("cannot be proven ours")) +
                    ": it goes on until the session ends");
    return 0;
}

} // namespace

std::string configHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

std::vector<std::string> watcherCommand(const std::string& program, const Options& options)
{
    std::vector<std::string> arguments = {program, "-idle", std::to_string(options.idleSeconds)};
    if (options.lockAfterSeconds > 0)
        arguments.insert(arguments.end(), {"-lock-after", std::to_string(options.lockAfterSeconds)});
    if (!options.lockCommand.empty())
        arguments.insert(arguments.end(), {"-lock-command", options.lockCommand});
    return arguments;
}

std::vector<std::string> typedCommand(std::vector<std::string> command)
{
    const std::string name = command.empty() ? "" : command[0].substr(command[0].rfind('/') + 1);
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "";
    // The first file of that name on PATH is the one a shell would run; a
    // relative folder means nothing to a login session, and is passed over.
    for (std::size_t start = 0; !name.empty() && start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = folder + "/" + name;
        start = end + 1;
        if (folder.empty() || folder[0] != '/' || ::access(candidate.c_str(), X_OK) != 0)
            continue;
        struct stat found {}, program {};
        if (::stat(candidate.c_str(), &found) == 0 && ::stat(command[0].c_str(), &program) == 0 &&
            found.st_dev == program.st_dev && found.st_ino == program.st_ino)
            command[0] = name;
        break;
    }
    return command;
}

std::vector<CompositorLine> compositorLines(const std::vector<std::string>& watcherCommand)
{
    std::vector<CompositorLine> found;
    for (const Compositor& compositor : compositors) {
        if (std::getenv(compositor.environment))
            found.push_back({compositor.name, configHome() + "/" + compositor.configFile,
                             compositor.line(watcherCommand)});
    }
    return found;
}

std::string desktopExecLine(const std::vector<std::string>& arguments)
{
    // The entry format's reserved characters; an argument holding one is
    // quoted, and inside quotes ", `, $ and \ are escaped.
    const char* reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string line;
    for (const std::string& argument : arguments) {
        std::string word;
        const bool quote = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
        for (char c : argument) {
            if (quote && std::strchr("\"`$\\", c))
                word += '\\';
            word += c == '%' ? std::string("%%") : std::string(1, c);
        }
        line += (line.empty() ? "" : " ") + (quote ? "\"" + word + "\"" : word);
    }
    // A string value escapes its backslashes once more.
    std::string value;
    for (char c : line)
        value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

std::string shellLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        const bool plain = !argument.empty() && argument.find_first_not_of(
                                                    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                    "0123456789-_./=:,+@%") == std::string::npos;
        std::string word = plain ? argument : "'";
        if (!plain) {
            for (char c : argument)
                word += c == '\'' ? std::string("'\\''") : std::string(1, c);
            word += "'";
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

std::string autostartEntryPath()
{
    return configHome() + "/autostart/" + entryName;
}

int runAutostart(const Options& options)
{
    // One -autostart at a time per session: two at once would each end the
    // watcher and start their own, and the loser's would find the lease taken.
    const std::string lockPath = autostartLockPath();
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0)
        return fail("cannot lock " + quoted(lockPath) + ": " + std::strerror(errno) + "; nothing changed");
    const std::string folder = configHome() + "/autostart";
    const std::string path = autostartEntryPath();
    const int status = options.autostart == Autostart::On ? turnOn(options, folder, path) : turnOff(path);
    std::fflush(stdout);
    ::close(lock);
    return status;
}
