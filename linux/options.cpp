#include "options.h"

#include <cstdint>

namespace {

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

std::string quoted(const std::string& text)
{
    // Keep the message on one line whatever the argument holds.
    std::string out = "'";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            out += '?';
        else
            out += c;
        if (out.size() > 80) {
            out += "...";
            break;
        }
    }
    return out + "'";
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
            if (value > 0xFFFFFFFFu)
                return false;
        }
    } else if (!parseBounded(text, 0xFFFFFFFFu, value)) {
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

ParseResult parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow,
                         Options& options)
{
    Options parsed;
    ParseResult result;
    bool root = false;
    bool fullscreen = false;
    bool windowIdGiven = false;
    bool render = false;
    bool framesGiven = false;

    auto fail = [&result](const std::string& message) {
        result.ok = false;
        result.error = message;
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string name = optionName(args[i]);
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::string& { return args[++i]; };
        const auto needsValue = {"-window-id", "-delay", "-render", "-frames", "-size",
                                 "-frame-ms", "-letterbox", "-draw"};
        for (const char* option : needsValue)
            if (name == option && !hasValue)
                return fail(std::string(option) + " needs a value");

        if (name == "-root") {
            root = true;
        } else if (name == "-fullscreen") {
            fullscreen = true;
        } else if (name == "-window") {
            // XScreenSaver passes -window for "run in a window of your own":
            // that is the default already.
        } else if (name == "-fps") {
            parsed.showFps = true;
        } else if (name == "-h" || name == "-help") {
            parsed.help = true;
        } else if (name == "-version") {
            parsed.version = true;
        } else if (name == "-overlay") {
            parsed.overlay = true;
        } else if (name == "-window-id") {
            const std::string& text = value();
            if (!parseWindowId(text, parsed.windowId))
                return fail("-window-id wants a non-zero window id in decimal or 0x hex, not " +
                            quoted(text));
            windowIdGiven = true;
        } else if (name == "-delay") {
            const std::string& text = value();
            std::uint64_t delay = 0;
            if (!parseBounded(text, maxDelayMicroseconds, delay))
                return fail("-delay wants microseconds from 0 to " +
                            std::to_string(maxDelayMicroseconds) + ", not " + quoted(text));
            parsed.delayMicroseconds = static_cast<long>(delay);
        } else if (name == "-render") {
            parsed.renderPath = value();
            if (parsed.renderPath.empty())
                return fail("-render wants a file name");
            render = true;
        } else if (name == "-frames") {
            const std::string& text = value();
            std::uint64_t frames = 0;
            if (!parseBounded(text, maxFrames, frames) || frames == 0)
                return fail("-frames wants a count from 1 to " + std::to_string(maxFrames) +
                            ", not " + quoted(text));
            parsed.frames = static_cast<long>(frames);
            framesGiven = true;
        } else if (name == "-size") {
            const std::string& text = value();
            if (!parseSize(text, parsed.width, parsed.height))
                return fail("-size wants WIDTHxHEIGHT, each from 1 to " +
                            std::to_string(maxDimension) + ", not " + quoted(text));
            parsed.sizeGiven = true;
        } else if (name == "-frame-ms") {
            const std::string& text = value();
            std::uint64_t ms = 0;
            if (!parseBounded(text, maxFrameMs, ms))
                return fail("-frame-ms wants milliseconds from 0 to " + std::to_string(maxFrameMs) +
                            ", not " + quoted(text));
            parsed.frameMs = static_cast<int>(ms);
        } else if (name == "-draw") {
            const std::string& text = value();
            if (text == "exact")
                parsed.draw = DrawOrder::Exact;
            else if (text == "batched")
                parsed.draw = DrawOrder::Batched;
            else
                return fail("-draw wants exact or batched, not " + quoted(text));
        } else if (name == "-letterbox") {
            // A fraction of the height per bar: "0", "0.125", ".25"; bars of
            // half the height or more would leave no picture.
            const std::string& text = value();
            double fraction = 0.0;
            double scale = 1.0;
            bool seenPoint = false;
            bool seenDigit = false;
            bool valid = !text.empty() && text.size() <= 20;
            for (char c : text) {
                if (!valid)
                    break;
                if (c == '.' && !seenPoint) {
                    seenPoint = true;
                } else if (isDigit(c)) {
                    seenDigit = true;
                    if (seenPoint) {
                        scale /= 10.0;
                        fraction += (c - '0') * scale;
                    } else {
                        fraction = fraction * 10.0 + (c - '0');
                    }
                } else {
                    valid = false;
                }
            }
            if (!valid || !seenDigit || !(fraction < 0.5))
                return fail("-letterbox wants a fraction from 0 to below 0.5, not " + quoted(text));
            parsed.letterbox = fraction;
            parsed.letterboxGiven = true;
        } else {
            return fail("unknown option " + quoted(args[i]) + " (try -help)");
        }
    }

    if (parsed.help || parsed.version) {
        options = parsed;
        result.ok = true;
        return result;
    }

    const int targets = int(root) + int(fullscreen) + int(windowIdGiven) + int(render);
    if (targets > 1)
        return fail("-root, -fullscreen, -window-id and -render exclude each other");

    if (render) {
        parsed.target = Target::Render;
        if (!framesGiven)
            parsed.frames = 300;
        if (parsed.frameMs < 0)
            parsed.frameMs = 16;
        if (parsed.showFps)
            return fail("-fps needs a display; -render prints nothing per frame");
    } else if (windowIdGiven) {
        parsed.target = Target::ForeignWindow;
    } else if (fullscreen) {
        parsed.target = Target::Fullscreen;
    } else if (xscreensaverWindow && *xscreensaverWindow) {
        // XScreenSaver sets this for its own window and passes -root too.
        if (!parseWindowId(xscreensaverWindow, parsed.windowId))
            return fail("XSCREENSAVER_WINDOW holds no window id: " + quoted(xscreensaverWindow));
        parsed.target = Target::ForeignWindow;
    } else if (root) {
        parsed.target = Target::Root;
    }

    if (parsed.sizeGiven && parsed.target != Target::Render && parsed.target != Target::OwnWindow)
        return fail("-size applies only to -render and to a window of cascade's own");

    options = parsed;
    result.ok = true;
    return result;
}

const char* usageText()
{
    return "usage: cascade [options]\n"
           "  (no options)         draw in an 800x600 window; Escape or q ends it\n"
           "  -root                draw on the root window (XScreenSaver)\n"
           "  -window-id ID        draw into an existing window (decimal or 0x hex);\n"
           "                       XSCREENSAVER_WINDOW is read the same way\n"
           "  -fullscreen          cover the screen; a key, a click or a mouse move ends it\n"
           "  -fps                 print frames per second on stderr\n"
           "  -draw exact|batched  streaks in the Windows saver's order, or grouped by\n"
           "                       line width (default batched: the same picture, cheaper)\n"
           "  -delay MICROSECONDS  least time between frames (default 33333: 30 a second)\n"
           "  -render FILE.png     draw off-screen (no display needed) and save a PNG\n"
           "  -frames N            frames to draw (default for -render: 300)\n"
           "  -size WxH            picture or window size (default 800x600)\n"
           "  -frame-ms M          fixed frame time in ms (default for -render: 16)\n"
           "  -version             print the version\n"
           "Every option may also be written with two dashes (--root).\n"
           "The manual page, cascade(6) (man 6 cascade), has the details and exit codes.\n";
}
