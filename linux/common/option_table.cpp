#include "linux/common/option_table.h"

#include "linux/common/option_values.h"
#include "linux/common/quoted_text.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr long microsecondsPerSecond = 1000000;

// Every option is matched here in its one-dash form: XScreenSaver 6 writes
// "--root", "--delay 5000", older versions and users "-root".
std::string optionName(const std::string& arg)
{
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-')
        return arg.substr(1);
    return arg;
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

const OptionEntry entries[] = {
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
     "as the Windows saver draws, or streaks grouped by line width, no depth buffer and the fade alone: "
     "the same picture, cheaper",
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
    for (const OptionEntry& entry : entries)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

} // namespace

OptionTable optionTable()
{
    return {std::begin(entries), std::end(entries)};
}

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
