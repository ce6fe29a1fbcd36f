// What the settings window says about the session it runs in: the window
// system, which idle signal the desktop offers the watcher, GNOME's own
// blank delay, whether logind can lock it, XScreenSaver on X11, and on KDE
// Plasma our lock-screen wallpaper and System Settings.
#pragma once

#include <string>
#include <vector>

struct SessionFacts {
    bool wayland = false;        // WAYLAND_DISPLAY set
    bool gnome = false;          // XDG_CURRENT_DESKTOP names GNOME
    unsigned gnomeBlankSeconds = 0; // GNOME's idle-delay; 0: never, or no schema
    bool logindAnswers = false;  // org.freedesktop.login1 owned on the system bus
    std::string xscreensaver;    // the daemon's path, "" where not installed
    std::string xscreensaverSettings; // xscreensaver-settings or -demo
    std::string addToXscreensaver;    // cascade-add-to-xscreensaver
    bool plasma = false;              // XDG_CURRENT_DESKTOP names KDE
    bool sceneWallpaperInstalled = false; // on Plasma: our wallpaper plugin
    std::vector<std::string> screenLockingPage; // on Plasma: System Settings at its Screen Locking page
};

SessionFacts readSessionFacts();

// One sentence: what tells the watcher that the session is idle, and, on
// GNOME, when its blanking comes and so when the saver will after
// idleSeconds asked.
std::string idleSignalText(const SessionFacts& facts, long idleSeconds);

// "5 min", "90 s": a span for a status line.
std::string spanText(unsigned seconds);
