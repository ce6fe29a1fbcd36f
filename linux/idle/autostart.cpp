#include "linux/idle/autostart.h"

#include "linux/common/messages.h"
#include "linux/common/quoted_text.h"
#include "linux/safe_replace/snapshot_replace.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

std::string configHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

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
           "Exec=" + desktopExecLine(watcherArguments(options)) + "\n"
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

void printCompositorLine(const Options& options, bool on)
{
    for (const CompositorLine& found : compositorLines(watcherArguments(options))) {
        std::printf("%s reads no autostart entries: %s this line %s %s:\n  %s\n", found.compositor.c_str(),
                    on ? "add" : "remove", on ? "to" : "from", found.configPath.c_str(), found.line.c_str());
    }
}

int turnOn(const Options& options, const std::string& folder, const std::string& path)
{
    std::string error;
    FileSnapshot snapshot;
    if (!makeFolders(folder, error) || !readSnapshot(path, snapshot, error))
        return fail(error + "; nothing changed");
    const std::string text = entryText(options);
    if (!snapshot.exists || snapshot.bytes != text) {
        ReplaceRequest request;
        request.path = path;
        request.snapshot = &snapshot;
        request.bytes = text;
        std::string backup;
        const ReplaceResult result = replaceIfUnchanged(request, backup, error);
        if (result == ReplaceResult::FileChanged)
            return fail(quoted(path) + " changed while it was written; nothing changed");
        if (result != ReplaceResult::Replaced)
            return fail(error + "; nothing changed");
    }
    std::printf("The idle watcher starts at each login (%s):\n  %s\n", path.c_str(),
                shellLine(watcherArguments(options)).c_str());
    printCompositorLine(options, true);
    return 0;
}

int turnOff(const Options& options, const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && ::unlink(path.c_str()) != 0)
        return fail("cannot remove " + quoted(path) + ": " + std::strerror(errno));
    std::printf("The idle watcher no longer starts at login (%s is gone).\n", path.c_str());
    printCompositorLine(options, false);
    return 0;
}

} // namespace

std::vector<std::string> watcherCommand(const std::string& program, const Options& options)
{
    std::vector<std::string> arguments = {program, "-idle", std::to_string(options.idleSeconds)};
    if (options.lockAfterSeconds > 0)
        arguments.insert(arguments.end(), {"-lock-after", std::to_string(options.lockAfterSeconds)});
    if (!options.lockCommand.empty())
        arguments.insert(arguments.end(), {"-lock-command", options.lockCommand});
    return arguments;
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
    const std::string folder = configHome() + "/autostart";
    const std::string path = autostartEntryPath();
    const int status = options.autostart == Autostart::On ? turnOn(options, folder, path) : turnOff(options, path);
    std::fflush(stdout);
    return status;
}
