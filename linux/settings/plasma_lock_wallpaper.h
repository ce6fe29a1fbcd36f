// KDE Plasma's lock screen and our wallpaper plugin: whether the plugin is
// installed, and whether the lock screen shows it, which the user's
// kscreenlockerrc says ([Greeter] WallpaperPlugin) and which the settings
// window changes there, whole or not at all, every other line kept.
#pragma once

#include <string>

// The plugin's id, the package that installs it, the key that chooses it.
constexpr const char* sceneWallpaperPlugin = "org.cascade.scene";
constexpr const char* sceneWallpaperPackage = "cascade-plasma";

// $XDG_CONFIG_HOME (or ~/.config)/kscreenlockerrc.
std::string lockSettingsPath();

// Whether Plasma finds the plugin: its metadata in plasma/wallpapers/ under
// $XDG_DATA_HOME (or ~/.local/share) or a folder of $XDG_DATA_DIRS.
bool sceneWallpaperInstalled();

struct LockWallpaper {
    bool scene = false;  // the lock screen shows the plugin
    std::string problem; // one line where the file cannot be read
};
LockWallpaper readLockWallpaper(const std::string& path);

// The choice as KDE reads it: the user's file over the system-wide ones in
// $XDG_CONFIG_DIRS (or /etc/xdg). On chooses the plugin; off removes the
// choice where it is ours, so that KDE's default wallpaper (or an
// administrator's) applies again, as KDE's own settings leave the file for
// the default; where the system's files choose ours, off writes KDE's
// default over it. False with one line in error.
bool showSceneBehindLock(const std::string& path, bool on, std::string& error);
