// The lock screen's wallpaper read from and written to kscreenlockerrc,
// through the safe replace: KDE's own settings or the user may write the
// file at the same moment, and their change wins over ours.
#include "linux/settings/plasma_lock_wallpaper.h"

#include "linux/common/quoted_text.h"
#include "linux/idle/autostart.h"
#include "linux/safe_replace/snapshot_replace.h"
#include "linux/settings/kconfig_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* greeterGroup = "Greeter";
constexpr const char* pluginKey = "WallpaperPlugin";
// Plasma 6 reads metadata.json; Plasma 5 also metadata.desktop.
const char* const metadataFiles[] = {"metadata.json", "metadata.desktop"};
constexpr const char* defaultDataDirs = "/usr/local/share:/usr/share";
constexpr const char* defaultConfigDirs = "/etc/xdg";
constexpr const char* settingsName = "kscreenlockerrc";
// KDE's own default, which a system-wide choice of ours is overridden with.
constexpr const char* kdeDefaultPlugin = "org.kde.image";
// A writer that keeps changing the file between our read and our swap
// (KDE's settings saving as we do) is given this many chances.
constexpr int replaceAttempts = 3;
constexpr mode_t configFolderMode = 0700;
constexpr std::size_t readChunk = 4096;

std::string dataHome()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

// The absolute folders of a colon-separated list in variable (fallback where
// it is unset or empty), in its order.
std::vector<std::string> listedFolders(const char* variable, const char* fallback)
{
    std::vector<std::string> folders;
    const char* listed = std::getenv(variable);
    const std::string dirs = listed && *listed ? listed : fallback;
    for (std::size_t begin = 0; begin <= dirs.size();) {
        std::size_t colon = dirs.find(':', begin);
        if (colon == std::string::npos)
            colon = dirs.size();
        if (colon > begin && dirs[begin] == '/')
            folders.push_back(dirs.substr(begin, colon - begin));
        begin = colon + 1;
    }
    return folders;
}

bool makeFolder(const std::string& path, std::string& error)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), configFolderMode) != 0 && errno != EEXIST) {
            error = "cannot make " + quoted(folder) + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos)
            return true;
    }
}

// The file as KDE would read it, write-protected or not: no file reads as
// empty. Non-blocking, so that a FIFO in its place cannot hang the window.
bool readText(const std::string& path, std::string& text, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        error = "cannot read " + quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!read)
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    char chunk[readChunk];
    while (read) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got > 0)
            text.append(chunk, static_cast<std::size_t>(got));
        else
            read = errno == EINTR;
    }
    const int readError = errno;
    ::close(fd);
    if (!read)
        error = "cannot read " + quoted(path) + ": " + std::strerror(readError);
    return read;
}

// The choice of the system-wide files, which KDE reads beneath the user's:
// the first folder of $XDG_CONFIG_DIRS that makes one wins.
std::optional<std::string> systemChoice()
{
    for (const std::string& folder : listedFolders("XDG_CONFIG_DIRS", defaultConfigDirs)) {
        std::string text;
        std::string ignored;
        if (!readText(folder + "/" + settingsName, text, ignored))
            continue;
        if (std::optional<std::string> plugin = kconfigEntry(text, greeterGroup, pluginKey))
            return plugin;
    }
    return std::nullopt;
}

// The user's file's choice where it makes one, else the system's.
bool choosesScene(const std::string& userText)
{
    std::optional<std::string> plugin = kconfigEntry(userText, greeterGroup, pluginKey);
    if (!plugin)
        plugin = systemChoice();
    return plugin == std::string(sceneWallpaperPlugin);
}

// Off takes our choice out of the user's file; where the system's files make
// it too, KDE's default is written over it.
std::string withoutScene(const std::string& userText)
{
    const std::string text = withoutKConfigEntry(userText, greeterGroup, pluginKey);
    if (systemChoice() == std::string(sceneWallpaperPlugin))
        return withKConfigEntry(text, greeterGroup, pluginKey, kdeDefaultPlugin);
    return text;
}

} // namespace

std::string lockSettingsPath() { return configHome() + "/" + settingsName; }

bool sceneWallpaperInstalled()
{
    std::vector<std::string> folders = listedFolders("XDG_DATA_DIRS", defaultDataDirs);
    folders.insert(folders.begin(), dataHome());
    for (const std::string& folder : folders) {
        for (const char* metadata : metadataFiles) {
            const std::string path = folder + "/plasma/wallpapers/" + sceneWallpaperPlugin + "/" + metadata;
            if (::access(path.c_str(), R_OK) == 0)
                return true;
        }
    }
    return false;
}

LockWallpaper readLockWallpaper(const std::string& path)
{
    LockWallpaper wallpaper;
    std::string text;
    if (!readText(path, text, wallpaper.problem))
        return wallpaper;
    wallpaper.scene = choosesScene(text);
    return wallpaper;
}

bool showSceneBehindLock(const std::string& settingsPath, bool on, std::string& error)
{
    std::string path = settingsPath;
    if (!followLinks(path, error) || !makeFolder(path.substr(0, path.rfind('/')), error))
        return false;
    for (int attempt = 0; attempt < replaceAttempts; ++attempt) {
        FileSnapshot snapshot;
        if (!readSnapshot(path, snapshot, error))
            return false;
        const std::string& text = snapshot.bytes;
        // Off takes back only our own choice: a wallpaper chosen in KDE's
        // settings since the window read the file stays.
        if (choosesScene(text) == on)
            return true;
        ReplaceRequest request;
        request.path = path;
        request.snapshot = &snapshot;
        request.bytes = on ? withKConfigEntry(text, greeterGroup, pluginKey, sceneWallpaperPlugin)
                           : withoutScene(text);
        std::string backup;
        switch (replaceIfUnchanged(request, backup, error)) {
        case ReplaceResult::Replaced:
            return true;
        case ReplaceResult::FileChanged:
            continue;
        case ReplaceResult::Stopped:
        case ReplaceResult::Failed:
            return false;
        }
    }
    error = quoted(path) + " kept changing while it was written";
    return false;
}
