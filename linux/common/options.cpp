#include "linux/common/options.h"

#include "linux/common/quoted_text.h"

#include <cstdint>

namespace {

// X11 resource ids are 32-bit.
constexpr std::uint64_t maxWindowId = 0xFFFFFFFFu;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Plain decimal digits only (no sign, no spaces, no suffix), at most `limit`.
// Checked digit by digit so no input can overflow.
bool parseBounded(const std::string& text, std::uint64_t limit, std::uint64_t& value)
{
    if (text.empty())
        return false;
    std::uint64_t result = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
        if (result > limit)
            return false;
    }
    value = result;
    return true;
}

// Every option is matched here in its one-dash form: XScreenSaver 6 writes
// "--root", "--delay 5000", older versions and users "-root".
std::string optionName(const std::string& arg)
{
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-')
        return arg.substr(1);
    return arg;
}

} // namespace

bool parseWindowId(const std::string& text, unsigned long& id)
{
    std::uint64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int digit = hexValue(text[i]);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > maxWindowId)
                return false;
        }
    } else if (!parseBounded(text, maxWindowId, value)) {
        return false;
    }
    if (value == 0)
        return false;
    id = static_cast<unsigned long>(value);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const auto cross = text.find_first_of("xX");
    if (cross == std::string::npos)
        return false;
    std::uint64_t w = 0;
    std::uint64_t h = 0;
    if (!parseBounded(text.substr(0, cross), maxDimension, w) ||
        !parseBounded(text.substr(cross + 1), maxDimension, h) || w == 0 || h == 0)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

namespace {

// Defaults of a render, which always draws a fixed number of fixed frames so
// that the same options give the same picture.
constexpr long defaultRenderFrames = 300;
constexpr int defaultRenderFrameMs = 16;
constexpr long microsecondsPerSecond = 1000000;
// The longest a fraction given to -letterbox may be written.
constexpr std::size_t maxFractionLength = 20;
// Bars of half the height each would leave no picture between them.
constexpr double letterboxLimit = 0.5;

// What the command line said so far: the options, and which of the mutually
// exclusive targets were asked for.
struct ParseState {
    Options parsed;
    bool root = false;
    bool fullscreen = false;
    bool lock = false;
    bool windowIdGiven = false;
    bool render = false;
    bool framesGiven = false;
    bool wayland = false;
    bool x11 = false;
    bool lockCommandGiven = false;
};

// A fraction of the height per bar: "0", "0.125", ".25", below letterboxLimit.
bool parseLetterbox(const std::string& text, double& fraction)
{
    double value = 0.0;
    double scale = 1.0;
    bool seenPoint = false;
    bool seenDigit = false;
    if (text.empty() || text.size() > maxFractionLength)
        return false;
    for (char c : text) {
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            seenDigit = true;
            if (seenPoint) {
                scale /= 10.0;
                value += (c - '0') * scale;
            } else {
                value = value * 10.0 + (c - '0');
            }
        } else {
            return false;
        }
    }
    if (!seenDigit || !(value < letterboxLimit))
        return false;
    fraction = value;
    return true;
}

bool applyWindowId(ParseState& state, const std::string& text, std::string& error)
{
    if (!parseWindowId(text, state.parsed.windowId)) {
        error = "-window-id wants a non-zero window id in decimal or 0x hex, not " + quoted(text);
        return false;
    }
    state.windowIdGiven = true;
    return true;
}

bool applyDelay(ParseState& state, const std::string& text, std::string& error)
{
    std::uint64_t delay = 0;
    if (!parseBounded(text, maxDelayMicroseconds, delay)) {
        error = "-delay wants microseconds from 0 to " + std::to_string(maxDelayMicroseconds) + ", not " +
                quoted(text);
        return false;
    }
    state.parsed.delayMicroseconds = static_cast<long>(delay);
    return true;
}

bool applyRender(ParseState& state, const std::string& text, std::string& error)
{
    state.parsed.renderPath = text;
    if (text.empty()) {
        error = "-render wants a file name";
        return false;
    }
    state.render = true;
    return true;
}

bool applyFrames(ParseState& state, const std::string& text, std::string& error)
{
    std::uint64_t frames = 0;
    if (!parseBounded(text, maxFrames, frames) || frames == 0) {
        error = "-frames wants a count from 1 to " + std::to_string(maxFrames) + ", not " + quoted(text);
        return false;
    }
    state.parsed.frames = static_cast<long>(frames);
    state.framesGiven = true;
    return true;
}

bool applySize(ParseState& state, const std::string& text, std::string& error)
{
    if (!parseSize(text, state.parsed.width, state.parsed.height)) {
        error = "-size wants WIDTHxHEIGHT, each from 1 to " + std::to_string(maxDimension) + ", not " +
                quoted(text);
        return false;
    }
    state.parsed.sizeGiven = true;
    return true;
}

bool applyFrameMs(ParseState& state, const std::string& text, std::string& error)
{
    std::uint64_t ms = 0;
    if (!parseBounded(text, maxFrameMs, ms)) {
        error = "-frame-ms wants milliseconds from 0 to " + std::to_string(maxFrameMs) + ", not " + quoted(text);
        return false;
    }
    state.parsed.frameMs = static_cast<int>(ms);
    return true;
}

bool applyDraw(ParseState& state, const std::string& text, std::string& error)
{
    if (text == "exact") {
        state.parsed.draw = DrawOrder::Exact;
    } else if (text == "batched") {
        state.parsed.draw = DrawOrder::Batched;
    } else {
        error = "-draw wants exact or batched, not " + quoted(text);
        return false;
    }
    return true;
}

bool applyLetterbox(ParseState& state, const std::string& text, std::string& error)
{
    if (!parseLetterbox(text, state.parsed.letterbox)) {
        error = "-letterbox wants a fraction from 0 to below 0.5, not " + quoted(text);
        return false;
    }
    state.parsed.letterboxGiven = true;
    return true;
}

bool applySeconds(const char* name, long& seconds, const std::string& text, std::string& error)
{
    std::uint64_t value = 0;
    if (!parseBounded(text, maxIdleSeconds, value) || value == 0) {
        error = std::string(name) + " wants seconds from 1 to " + std::to_string(maxIdleSeconds) + ", not " +
                quoted(text);
        return false;
    }
    seconds = static_cast<long>(value);
    return true;
}

bool applyIdle(ParseState& state, const std::string& text, std::string& error)
{
    return applySeconds("-idle", state.parsed.idleSeconds, text, error);
}

bool applyLockAfter(ParseState& state, const std::string& text, std::string& error)
{
    return applySeconds("-lock-after", state.parsed.lockAfterSeconds, text, error);
}

bool applyLockCommand(ParseState& state, const std::string& text, std::string& error)
{
    // A lock that cannot be written as one line of a desktop entry or a
    // compositor's configuration could not be started at login either.
    if (text.empty() || text.find_first_of("\n\r") != std::string::npos) {
        error = "-lock-command wants a command on one line";
        return false;
    }
    state.parsed.lockCommand = text;
    state.lockCommandGiven = true;
    return true;
}

bool applyAutostart(ParseState& state, const std::string& text, std::string& error)
{
    if (text == "on") {
        state.parsed.autostart = Autostart::On;
    } else if (text == "off") {
        state.parsed.autostart = Autostart::Off;
    } else {
        error = "-autostart wants on or off, not " + quoted(text);
        return false;
    }
    return true;
}

// One entry per option, in its one-dash form. A flag sets its field; an
// option with a value reads the argument after it and says what was wrong.
// The -help text is made from the same entries, so that what it says of
// an option and its default cannot drift from what the parser does.
struct OptionEntry {
    const char* name;
    void (*flag)(ParseState&);
    bool (*withValue)(ParseState&, const std::string&, std::string&);
    const char* valueName; // as -help shows the value; null for a flag
    const char* summary;   // null for an alias that -help leaves out
    std::string (*defaultText)();
};

const OptionEntry optionTable[] = {
    {"-root", [](ParseState& state) { state.root = true; }, nullptr, nullptr,
     "draw on the root window (XScreenSaver); a window id given beside it wins", nullptr},
    {"-window-id", nullptr, applyWindowId, "ID",
     "draw into an existing window, decimal or 0x hex; XSCREENSAVER_WINDOW works the same way, and "
     "-window-id wins over it",
     nullptr},
    // XScreenSaver passes -window for "run in a window of your own": that is
    // the default already.
    {"-window", [](ParseState&) {}, nullptr, nullptr,
     "draw in a window of its own, as without options; Escape or q ends it", nullptr},
    {"-fullscreen", [](ParseState& state) { state.fullscreen = true; }, nullptr, nullptr,
     "cover the screen (on Wayland, every output); any key, click or mouse move ends it", nullptr},
    {"-lock", [](ParseState& state) { state.lock = true; }, nullptr, nullptr,
     "lock the Wayland session (ext-session-lock-v1) with the scene on every output; any key brings the "
     "password prompt, and the user's password (PAM service \"cascade\") unlocks",
     nullptr},
    {"-wayland", [](ParseState& state) { state.wayland = true; }, nullptr, nullptr,
     "run on Wayland even where WAYLAND_DISPLAY is unset; the default where it is set, except with -root, "
     "-window-id or XSCREENSAVER_WINDOW, which only X11 has",
     nullptr},
    {"-x11", [](ParseState& state) { state.x11 = true; }, nullptr, nullptr,
     "run on the X display ($DISPLAY) even where WAYLAND_DISPLAY is set", nullptr},
    {"-delay", nullptr, applyDelay, "MICROSECONDS", "least time between frames",
     [] {
         return std::to_string(defaultDelayMicroseconds) + ": " +
                std::to_string(microsecondsPerSecond / defaultDelayMicroseconds) + " a second";
     }},
    {"-draw", nullptr, applyDraw, "exact|batched",
     "streaks one by one in the Windows saver's order, or grouped by line width: the same picture, cheaper",
     [] { return std::string(Options{}.draw == DrawOrder::Batched ? "batched" : "exact"); }},
    {"-fps", [](ParseState& state) { state.parsed.showFps = true; }, nullptr, nullptr,
     "draw the frame rate in the picture's lower-left corner", nullptr},
    {"-fps-stderr", [](ParseState& state) { state.parsed.fpsOnStderr = true; }, nullptr, nullptr,
     "print the frame rate on stderr once a second", nullptr},
    {"-idle", nullptr, applyIdle, "SECONDS",
     "stay running and show the full-screen saver on every output whenever the Wayland session has been "
     "idle that long, by the desktop's own idle signal",
     nullptr},
    {"-lock-after", nullptr, applyLockAfter, "SECONDS",
     "with -idle: lock the session once the saver has been up that long (where the compositor offers "
     "ext-session-lock-v1 and no -lock-command is given, the saver becomes the lock); with -fullscreen on "
     "Wayland: the saver locks the session itself then",
     nullptr},
    {"-lock-command", nullptr, applyLockCommand, "CMD", "with -lock-after: lock by this shell command",
     [] { return std::string("loginctl lock-session"); }},
    {"-autostart", nullptr, applyAutostart, "on|off",
     "start the idle watcher (with the -idle and lock options given beside) at each login and now, or no "
     "longer and end it",
     nullptr},
    {"-render", nullptr, applyRender, "FILE.png", "draw off-screen (no display needed) and save a PNG", nullptr},
    {"-frames", nullptr, applyFrames, "N", "frames to draw",
     [] { return "until stopped; " + std::to_string(defaultRenderFrames) + " for -render"; }},
    {"-size", nullptr, applySize, "WxH", "picture or window size",
     [] { return std::to_string(defaultWidth) + "x" + std::to_string(defaultHeight); }},
    {"-frame-ms", nullptr, applyFrameMs, "M", "fixed frame time in milliseconds",
     [] { return "the clock; " + std::to_string(defaultRenderFrameMs) + " for -render"; }},
    {"-overlay", [](ParseState& state) { state.parsed.overlay = true; }, nullptr, nullptr,
     "switch the scene's smoke overlay on (for testing)", nullptr},
    {"-letterbox", nullptr, applyLetterbox, "FRACTION",
     "height of each letterbox bar, from 0 to below 0.5 (for testing)", nullptr},
    {"-help", [](ParseState& state) { state.parsed.help = true; }, nullptr, nullptr, "print this summary (also -h)",
     nullptr},
    {"-h", [](ParseState& state) { state.parsed.help = true; }, nullptr, nullptr, nullptr, nullptr},
    {"-version", [](ParseState& state) { state.parsed.version = true; }, nullptr, nullptr, "print the version",
     nullptr},
};

const OptionEntry* findOption(const std::string& name)
{
    for (const OptionEntry& entry : optionTable)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

// Reads every argument into state; false with error set at the first wrong one.
bool readArguments(const std::vector<std::string>& args, ParseState& state, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const OptionEntry* entry = findOption(optionName(args[i]));
        if (!entry) {
            error = "unknown option " + quoted(args[i]) + " (try -help)";
            return false;
        }
        if (entry->flag) {
            entry->flag(state);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = std::string(entry->name) + " needs a value";
            return false;
        }
        if (!entry->withValue(state, args[++i], error))
            return false;
    }
    return true;
}

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

// Settles the one target the options name, with a render's defaults, and
// rejects combinations that make no sense.
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

} // namespace

ParseResult parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow,
                         Options& options)
{
    ParseState state;
    ParseResult result;
    if (!readArguments(args, state, result.error))
        return result;
    // -help and -version answer whatever else the line holds.
    if (!state.parsed.help && !state.parsed.version && !chooseTarget(state, xscreensaverWindow, result.error))
        return result;
    options = state.parsed;
    result.ok = true;
    return result;
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

namespace {

// Where -help's summaries start, and how wide its lines may grow.
constexpr std::size_t usageSummaryColumn = 24;
constexpr std::size_t usageLineWidth = 79;

// Appends text at the summary column, broken at spaces to fit the line.
void appendWrapped(std::string& usage, std::string line, const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        line.resize(usageSummaryColumn, ' ');
        std::size_t end = text.size();
        if (end - at > usageLineWidth - usageSummaryColumn) {
            end = text.rfind(' ', at + usageLineWidth - usageSummaryColumn);
            if (end == std::string::npos || end <= at)
                end = text.find(' ', at) == std::string::npos ? text.size() : text.find(' ', at);
        }
        usage += line + text.substr(at, end - at) + "\n";
        at = end < text.size() ? end + 1 : end;
        line.clear();
    }
}

} // namespace

std::string usageText()
{
    std::string usage = "usage: cascade [options]\n";
    for (const OptionEntry& entry : optionTable) {
        if (!entry.summary)
            continue;
        std::string option = std::string("  ") + entry.name;
        if (entry.valueName)
            option += std::string(" ") + entry.valueName;
        if (option.size() >= usageSummaryColumn) {
            usage += option + "\n";
            option.clear();
        }
        std::string summary = entry.summary;
        if (entry.defaultText)
            summary += " (default " + entry.defaultText() + ")";
        appendWrapped(usage, option, summary);
    }
    return usage + "Every option may also be written with two dashes (--root).\n"
                   "The manual page, cascade(6) (man 6 cascade), has the details and exit codes.\n";
}
