// The command line of the Linux front: XScreenSaver's conventions for the
// saver, plus the headless renderer's options. Portable: no X11 here, so the
// parser can be unit-tested and fuzzed on its own. Here the options' values
// and parseOptions; beside it the value readers (option_values.h), the one
// table that drives parsing and -help (option_table.h), the rules between
// options (option_rules.h) and the -help text (usage_text.h).
#pragma once

#include <string>
#include <vector>

enum class Target {
    OwnWindow,     // an 800 x 600 window of our own (the default)
    Fullscreen,    // a window covering the screen that closes on input
    Root,          // the root window (XScreenSaver's -root)
    ForeignWindow, // a window made by someone else (-window-id or XSCREENSAVER_WINDOW)
    Render,        // no display: frames rendered off-screen and saved as a PNG
    Lock,          // the Wayland session's lock: the scene on every output until the password unlocks
};

// The window system the saver runs on. Automatic: Wayland where
// WAYLAND_DISPLAY is set and the target is not one only X11 has (-root,
// -window-id, XSCREENSAVER_WINDOW), else X11.
enum class WindowSystem { Automatic, Wayland, X11 };

// How the streaks go to GL: in the Windows saver's order, a line width per
// streak, or grouped by width, which costs software GL a fraction of the time
// for the same picture up to the rounding of overlapping blends.
enum class DrawOrder { Exact, Batched };

// Whether -autostart asked to start the idle watcher at login, or to stop.
enum class Autostart { Unchanged, On, Off };

// A window of cascade's own when no -size is given.
constexpr int defaultWidth = 800;
constexpr int defaultHeight = 600;
// Least time between frames. Not the Windows host's 5 ms timer: on software
// GL that asks for a core's worth of frames. 30 a second keeps the motion
// smooth (its speed follows the measured frame time) at a fraction of the
// cost; swap control may hold the rate lower still.
constexpr long defaultDelayMicroseconds = 33333;
// A render always draws a fixed number of fixed frames, so that the same
// options give the same picture: these unless given.
constexpr long defaultRenderFrames = 300;
constexpr int defaultRenderFrameMs = 16;

struct Options {
    Target target = Target::OwnWindow;
    WindowSystem windowSystem = WindowSystem::Automatic; // -wayland, -x11
    unsigned long windowId = 0; // ForeignWindow only
    std::string renderPath;     // Render only

    int width = defaultWidth;
    int height = defaultHeight;
    bool sizeGiven = false;

    // Number of frames to draw before ending; 0 runs until told to stop.
    // A render always draws a fixed number (300 unless given).
    long frames = 0;
    // Fixed frame time in milliseconds; -1 reads the real clock. A render
    // always uses a fixed time (16 ms unless given).
    int frameMs = -1;

    long delayMicroseconds = defaultDelayMicroseconds;
    // The rate drawn in the picture (-fps), and printed on stderr once a
    // second (-fps-stderr): under XScreenSaver stderr is the daemon's log,
    // so only a script that reads it asks for the line.
    bool showFps = false;
    bool fpsOnStderr = false;
    DrawOrder draw = DrawOrder::Batched;
    bool help = false;
    bool version = false;

    // The idle watcher (-idle): seconds the session must be idle before the
    // full-screen saver shows; 0 when not watching. Then the lock, once the
    // saver has been up lockAfterSeconds (0: never), by lockCommand or,
    // where that is empty, by logind.
    long idleSeconds = 0;
    long lockAfterSeconds = 0;
    std::string lockCommand;
    // -autostart on|off: the watcher started at login, or no longer.
    Autostart autostart = Autostart::Unchanged;

    // Developer hooks applied after the scene's reset, for tests.
    bool overlay = false;
    bool letterboxGiven = false;
    double letterbox = 0.0;
};

// Largest width or height the parser accepts; the renderer may allow less
// (the pbuffer limit of the EGL driver) and says so when it does.
constexpr int maxDimension = 8192;
constexpr long maxFrames = 10000000;
constexpr int maxFrameMs = 60000;
constexpr long maxDelayMicroseconds = 10000000;
// Idle spells and lock delays are given in seconds, up to a day; the
// settings window shows them in minutes.
constexpr long maxIdleSeconds = 86400;
constexpr long secondsPerMinute = 60;
// The idle delay -autostart on writes where no -idle is given: five
// minutes, as GNOME and KDE blank the screen by default.
constexpr long defaultIdleSeconds = 300;

struct ParseResult {
    bool ok = false;
    std::string error; // one line, without the program name, when !ok
};

// Parses the arguments after the program name. xscreensaverWindow is the
// value of XSCREENSAVER_WINDOW, or nullptr when unset: XScreenSaver hands its
// window over this way. A window id, from either, wins over -root, which
// XScreenSaver passes beside it; where -window-id and the environment name
// different windows, the command line wins.
ParseResult parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow,
                         Options& options);
