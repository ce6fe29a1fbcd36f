#include "linux/common/option_rules.h"

#include "linux/common/option_values.h"
#include "linux/common/quoted_text.h"

namespace {

// Settles -wayland and -x11 against each other and the target.
bool chooseWindowSystem(ParseState& state, std::string& error)
{
    Options& parsed = state.parsed;
    if (state.wayland && state.x11) {
        error = "-wayland and -x11 exclude each other";
        return false;
    }
    if (parsed.target == Target::Render && (state.wayland || state.x11)) {
        error = "-render draws without a display: -wayland and -x11 do not apply";
        return false;
    }
    const bool xOnly = parsed.target == Target::Root || parsed.target == Target::ForeignWindow;
    if (state.wayland && xOnly) {
        error = "-root, -window-id and XSCREENSAVER_WINDOW draw into X11 windows: not with -wayland";
        return false;
    }
    parsed.windowSystem = state.wayland ? WindowSystem::Wayland : state.x11 ? WindowSystem::X11 : WindowSystem::Automatic;
    return true;
}

// The idle watcher shows the full-screen saver and nothing else; the lock
// belongs to the watcher; -autostart on writes the watcher's line, and off
// only removes it.
bool checkIdleOptions(ParseState& state, std::string& error)
{
    Options& parsed = state.parsed;
    const bool watcher = parsed.idleSeconds > 0 || parsed.autostart == Autostart::On;
    if (parsed.autostart == Autostart::Off && (parsed.idleSeconds > 0 || parsed.lockAfterSeconds > 0 ||
                                                state.lockCommandGiven)) {
        error = "-autostart off takes no -idle or lock option";
        return false;
    }
    // The watcher hands -lock-after to its full-screen saver, which then
    // becomes the session's lock itself.
    const bool lockingSaver = !watcher && parsed.target == Target::Fullscreen;
    if (!watcher && !lockingSaver && parsed.lockAfterSeconds > 0) {
        error = "-lock-after locks after the saver the idle watcher shows: it needs -idle";
        return false;
    }
    if (state.lockCommandGiven && (parsed.lockAfterSeconds == 0 || lockingSaver)) {
        error = "-lock-command needs -idle and -lock-after";
        return false;
    }
    const bool otherTarget = parsed.target == Target::Render || parsed.target == Target::Lock ||
                             parsed.target == Target::Root ||
                             parsed.target == Target::ForeignWindow || parsed.sizeGiven;
    if ((watcher || parsed.autostart == Autostart::Off) && (otherTarget || state.framesGiven || state.x11)) {
        error = "-idle and -autostart show the full-screen Wayland saver: not with -lock, -root, -window-id, "
                "-render, -size, -frames or -x11";
        return false;
    }
    if (parsed.autostart == Autostart::On && parsed.idleSeconds == 0)
        parsed.idleSeconds = defaultIdleSeconds;
    return true;
}

// A render: fixed frames and frame time unless given.
bool chooseRender(ParseState& state, std::string& error)
{
    Options& parsed = state.parsed;
    parsed.target = Target::Render;
    if (!state.framesGiven)
        parsed.frames = defaultRenderFrames;
    if (parsed.frameMs < 0)
        parsed.frameMs = defaultRenderFrameMs;
    // The same options must give the same PNG, byte for byte: a measured
    // rate has no place in it.
    if (parsed.showFps || parsed.fpsOnStderr) {
        error = "-fps and -fps-stderr need a display; -render draws and prints no frame rate";
        return false;
    }
    return true;
}

// The lock runs until the password unlocks it, on Wayland only.
bool chooseLock(ParseState& state, std::string& error)
{
    state.parsed.target = Target::Lock;
    if (state.framesGiven || state.x11) {
        error = "-lock holds the Wayland session until its password: not with -frames or -x11";
        return false;
    }
    return true;
}

} // namespace

bool chooseTarget(ParseState& state, const char* xscreensaverWindow, std::string& error)
{
    Options& parsed = state.parsed;
    // -root and a window id name one target: XScreenSaver's settings run
    // the .xml's "--root" with "--window-id" added for the preview pane.
    const int targets =
        int(state.root || state.windowIdGiven) + int(state.fullscreen) + int(state.render) + int(state.lock);
    if (targets > 1) {
        error = "-fullscreen, -lock, -render and -root or -window-id exclude each other";
        return false;
    }

    if (state.render) {
        if (!chooseRender(state, error))
            return false;
    } else if (state.windowIdGiven) {
        parsed.target = Target::ForeignWindow;
    } else if (state.fullscreen) {
        parsed.target = Target::Fullscreen;
    } else if (state.lock) {
        if (!chooseLock(state, error))
            return false;
    } else if (xscreensaverWindow && *xscreensaverWindow) {
        // XScreenSaver sets this for its own window and passes -root too.
        if (!parseWindowId(xscreensaverWindow, parsed.windowId)) {
            error = "XSCREENSAVER_WINDOW holds no window id: " + quoted(xscreensaverWindow);
            return false;
        }
        parsed.target = Target::ForeignWindow;
    } else if (state.root) {
        parsed.target = Target::Root;
    }

    if (parsed.sizeGiven && parsed.target != Target::Render && parsed.target != Target::OwnWindow) {
        error = "-size applies only to -render and to a window of cascade's own";
        return false;
    }
    return chooseWindowSystem(state, error) && checkIdleOptions(state, error);
}

bool runsOnWayland(const Options& options, const char* waylandDisplay)
{
    switch (options.target) {
    case Target::Render:
    case Target::Root:
    case Target::ForeignWindow:
        return false;
    case Target::Lock:
        return true;
    case Target::OwnWindow:
    case Target::Fullscreen:
        break;
    }
    if (options.windowSystem != WindowSystem::Automatic)
        return options.windowSystem == WindowSystem::Wayland;
    return waylandDisplay && *waylandDisplay;
}
