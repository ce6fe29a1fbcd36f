#include "linux/common/option_rules.h"
#include "linux/common/option_values.h"
#include "linux/common/options.h"
#include "linux/common/usage_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

ParseResult parse(const std::vector<std::string>& args, Options& options, const char* env = nullptr)
{
    return parseOptions(args, env, options);
}

// Expects a refusal with one line that names what was wrong.
void expectRefused(const std::vector<std::string>& args, const std::string& mention, const char* env = nullptr)
{
    Options options;
    options.frames = 12345; // must stay untouched on a refusal
    const ParseResult result = parse(args, options, env);
    std::string joined;
    for (const auto& arg : args)
        joined += arg + " ";
    EXPECT_FALSE(result.ok) << joined;
    EXPECT_NE(result.error.find(mention), std::string::npos) << joined << "-> " << result.error;
    EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
    EXPECT_EQ(options.frames, 12345) << joined;
}

} // namespace

TEST(Options, XScreenSaverConventions)
{
    Options options;
    ASSERT_TRUE(parse({}, options).ok);
    EXPECT_EQ(options.target, Target::OwnWindow);
    EXPECT_EQ(options.delayMicroseconds, 33333); // 30 frames a second, not the Windows saver's 200
    EXPECT_EQ(options.draw, DrawOrder::Batched);
    EXPECT_FALSE(options.showFps);
    EXPECT_FALSE(options.fpsOnStderr);
    ASSERT_TRUE(parse({"-root", "-delay", "20000", "-fps"}, options).ok);
    EXPECT_EQ(options.target, Target::Root);
    EXPECT_EQ(options.delayMicroseconds, 20000);
    EXPECT_TRUE(options.showFps);
    EXPECT_FALSE(options.fpsOnStderr);
    ASSERT_TRUE(parse({"-fps-stderr"}, options).ok);
    EXPECT_FALSE(options.showFps);
    EXPECT_TRUE(options.fpsOnStderr);

    // The daemon passes -root and hands its own window over in the
    // environment; the window wins.
    ASSERT_TRUE(parse({"-root"}, options, "0x2a00007").ok);
    EXPECT_EQ(options.target, Target::ForeignWindow);
    EXPECT_EQ(options.windowId, 0x2a00007u);

    // The settings program's preview pane: the .xml's "--root", the pane as
    // --window-id and the same window in the environment, in either order.
    for (const auto& line : std::vector<std::vector<std::string>>{
             {"--root", "--window-id", "0x400CB9", "--fps"}, {"--window-id", "0x400CB9", "-root"}}) {
        options = Options{};
        ASSERT_TRUE(parse(line, options, "0x400CB9").ok) << line[0];
        EXPECT_EQ(options.target, Target::ForeignWindow) << line[0];
        EXPECT_EQ(options.windowId, 0x400CB9u) << line[0];
        options = Options{};
        ASSERT_TRUE(parse(line, options).ok) << line[0];
        EXPECT_EQ(options.windowId, 0x400CB9u) << line[0];
    }

    // Where the two name different windows, the command line wins, and an
    // environment it overrides is not even read.
    ASSERT_TRUE(parse({"--window-id", "4194311"}, options, "0x99").ok);
    EXPECT_EQ(options.target, Target::ForeignWindow);
    EXPECT_EQ(options.windowId, 4194311u);
    ASSERT_TRUE(parse({"-root", "--window-id", "4194311"}, options, "garbage").ok);
    EXPECT_EQ(options.windowId, 4194311u);

    ASSERT_TRUE(parse({"-window"}, options).ok);
    EXPECT_EQ(options.target, Target::OwnWindow);
    ASSERT_TRUE(parse({"-fullscreen"}, options).ok);
    EXPECT_EQ(options.target, Target::Fullscreen);
    ASSERT_TRUE(parse({}, options, "").ok);
    EXPECT_EQ(options.target, Target::OwnWindow);

    expectRefused({"-root"}, "XSCREENSAVER_WINDOW", "window");
}

TEST(Options, RenderTakesFixedFramesAndTime)
{
    Options options;
    ASSERT_TRUE(parse({"-render", "out.png"}, options).ok);
    EXPECT_EQ(options.target, Target::Render);
    EXPECT_EQ(options.renderPath, "out.png");
    EXPECT_EQ(options.frames, 300);
    EXPECT_EQ(options.frameMs, 16);

    // The environment of a screen saver session must not pull a render onto
    // a window.
    ASSERT_TRUE(parse({"-render", "x.png", "-frames", "7", "-size", "1920X1080", "-frame-ms", "0",
                       "-overlay", "-letterbox", "0.125", "-draw", "exact"},
                      options, "0x123")
                    .ok);
    EXPECT_EQ(options.target, Target::Render);
    EXPECT_EQ(options.frames, 7);
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    EXPECT_EQ(options.frameMs, 0);
    EXPECT_TRUE(options.overlay);
    EXPECT_TRUE(options.letterboxGiven);
    EXPECT_DOUBLE_EQ(options.letterbox, 0.125);
    EXPECT_EQ(options.draw, DrawOrder::Exact);
    ASSERT_TRUE(parse({"-draw", "exact", "--draw", "batched"}, options).ok);
    EXPECT_EQ(options.draw, DrawOrder::Batched);

    ASSERT_TRUE(parse({"-size", "8192x1"}, options).ok);
    EXPECT_EQ(options.width, 8192);
    EXPECT_EQ(options.height, 1);
}

TEST(Options, IdleWatcherAndItsStartAtLogin)
{
    Options options;
    ASSERT_TRUE(parse({"-idle", "90", "-lock-after", "30", "-lock-command", "swaylock -f", "-fps"}, options).ok);
    EXPECT_EQ(options.idleSeconds, 90);
    EXPECT_EQ(options.lockAfterSeconds, 30);
    EXPECT_EQ(options.lockCommand, "swaylock -f");
    EXPECT_EQ(options.autostart, Autostart::Unchanged);
    ASSERT_TRUE(parse({"-autostart", "on", "-lock-after", "60"}, options).ok);
    EXPECT_EQ(options.idleSeconds, defaultIdleSeconds);
    ASSERT_TRUE(parse({"--autostart", "off"}, options).ok);
    EXPECT_EQ(options.autostart, Autostart::Off);
    EXPECT_EQ(options.idleSeconds, 0);
}

TEST(Options, WindowIdForms)
{
    unsigned long id = 0;
    EXPECT_TRUE(parseWindowId("4194311", id));
    EXPECT_EQ(id, 4194311u);
    EXPECT_TRUE(parseWindowId("0x400007", id));
    EXPECT_EQ(id, 0x400007u);
    EXPECT_TRUE(parseWindowId("0XABCdef", id));
    EXPECT_EQ(id, 0xabcdefu);
    EXPECT_TRUE(parseWindowId("0xFFFFFFFF", id));
    EXPECT_EQ(id, 0xFFFFFFFFu);
    EXPECT_TRUE(parseWindowId("4294967295", id));

    id = 77;
    for (const char* bad : {"", "0", "0x0", "0x", "x12", "-5", "+5", " 5", "5 ", "12abc", "0x12g",
                            "4294967296", "0x100000000", "99999999999999999999999", "0x0000000000000000001g"}) {
        EXPECT_FALSE(parseWindowId(bad, id)) << bad;
        EXPECT_EQ(id, 77u) << bad;
    }
}

TEST(Options, SizeForms)
{
    int width = 0;
    int height = 0;
    EXPECT_TRUE(parseSize("1280x720", width, height));
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    for (const char* bad : {"", "x", "800", "800x", "x600", "0x600", "800x0", "8193x10", "10x8193",
                            "800*600", "-800x600", "800x600x2", "800 x600", "1e3x1", "18446744073709551617x1"})
        EXPECT_FALSE(parseSize(bad, width, height)) << bad;
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
}

TEST(Options, BadInputGivesOneClearLine)
{
    expectRefused({"-bogus"}, "'-bogus'");
    expectRefused({"render.png"}, "'render.png'");
    expectRefused({"-window-id"}, "-window-id needs a value");
    expectRefused({"-render"}, "-render needs a value");
    expectRefused({"-render", ""}, "-render wants a file name");
    expectRefused({"-window-id", "0"}, "-window-id");
    expectRefused({"-window-id", "nope"}, "'nope'");
    expectRefused({"-size", "0x600"}, "-size");
    expectRefused({"-size", "9000x9000"}, "8192");
    expectRefused({"-frames", "0"}, "-frames");
    expectRefused({"-frames", "-3"}, "-frames");
    expectRefused({"-frames", "100000000"}, "-frames");
    expectRefused({"-frame-ms", "60001"}, "-frame-ms");
    expectRefused({"-frame-ms", "1.5"}, "-frame-ms");
    expectRefused({"-delay", "-1"}, "-delay");
    expectRefused({"-delay", "10000001"}, "-delay");
    expectRefused({"-draw"}, "-draw needs a value");
    expectRefused({"-draw", "Exact"}, "-draw wants exact or batched, not 'Exact'");
    expectRefused({"-letterbox", "0.5"}, "-letterbox");
    expectRefused({"-letterbox", "1e-1"}, "-letterbox");
    expectRefused({"-letterbox", "."}, "-letterbox");
    expectRefused({"-root", "-render", "x.png"}, "exclude");
    expectRefused({"-fullscreen", "-window-id", "5"}, "exclude");
    expectRefused({"-root", "-fullscreen"}, "exclude");
    expectRefused({"-window-id", "5", "-render", "x.png", "-root"}, "exclude");
    expectRefused({"-render", "x.png", "-fps"}, "-fps");
    expectRefused({"-render", "x.png", "--fps-stderr"}, "-fps-stderr");
    expectRefused({"-root", "-size", "10x10"}, "-size");
    expectRefused({"-idle", "0"}, "-idle wants seconds from 1 to 86400");
    expectRefused({"-idle", "86401"}, "-idle");
    expectRefused({"-lock-after", "60"}, "needs -idle");
    expectRefused({"-idle", "5", "-lock-command", "swaylock"}, "-lock-command needs");
    expectRefused({"-fullscreen", "-lock-after", "9", "-lock-command", "swaylock"}, "-lock-command needs");
    expectRefused({"-lock-after", "9", "-window"}, "needs -idle");
    expectRefused({"-idle", "5", "-lock-after", "9", "-lock-command", "a\nb"}, "one line");
    expectRefused({"-autostart", "yes"}, "on or off");
    expectRefused({"-autostart", "off", "-idle", "5"}, "-autostart off takes no");
    expectRefused({"-idle", "5", "-root"}, "-root");
    expectRefused({"-idle", "5", "-x11"}, "-x11");
    // The lock holds a Wayland session until its password, and only that.
    expectRefused({"-idle", "5", "-lock"}, "-lock");
    expectRefused({"-lock", "-fullscreen"}, "exclude");
    expectRefused({"-lock", "-frames", "5"}, "-frames");
    expectRefused({"-lock", "-x11"}, "-x11");
    // Control characters in an argument cannot break the line.
    expectRefused({"-size", "1\n2"}, "'1?2'");
    expectRefused({std::string("-\x1b[2Jx")}, "(try -help)");
    // A huge argument is shortened in the message.
    Options options;
    const ParseResult result = parse({"-frames", std::string(10000, '9')}, options);
    EXPECT_FALSE(result.ok);
    EXPECT_LT(result.error.size(), 200u);
}

TEST(Options, HelpWinsOverEverythingElse)
{
    Options options;
    ASSERT_TRUE(parse({"-root", "-render", "x.png", "-help"}, options).ok);
    EXPECT_TRUE(options.help);
    const std::string usage = usageText();
    EXPECT_NE(usage.find("man 6 cascade"), std::string::npos);
    // Every option the parser takes, each at the start of a line, with the
    // defaults the parser applies; and lines that fit a terminal.
    for (const char* option : {"-root", "-window-id ID", "-window ", "-fullscreen", "-delay MICROSECONDS",
                               "-draw exact|batched", "-fps ", "-fps-stderr", "-render FILE.png", "-frames N",
                               "-size WxH", "-frame-ms M", "-overlay", "-letterbox FRACTION", "-help", "-version"})
        EXPECT_NE(usage.find(std::string("\n  ") + option), std::string::npos) << option;
    // Summaries read as one text, whatever line they were broken onto.
    const std::string flat = std::regex_replace(usage, std::regex("\\n +"), " ");
    const Options defaults;
    Options render;
    ASSERT_TRUE(parse({"-render", "x.png"}, render).ok);
    for (const std::string& text :
         {"(default " + std::to_string(defaults.delayMicroseconds) + ":",
          "(default " + std::to_string(defaults.width) + "x" + std::to_string(defaults.height) + ")",
          std::string("(default batched)"), std::to_string(render.frames) + " for -render",
          std::to_string(render.frameMs) + " for -render"})
        EXPECT_NE(flat.find(text), std::string::npos) << text;
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 79u) << line;
}

namespace {

// The command lines XScreenSaver's settings make from cascade.xml: the
// command's own arguments, then one value of every control, split at spaces
// as the settings split them.
struct SettingsFile {
    std::vector<std::string> command;
    // Each control's choices, by the control's id; an empty choice adds
    // nothing (a control left at its default).
    std::map<std::string, std::vector<std::string>> choices;
    std::map<std::string, std::string> defaults; // a number's default, by id
    std::vector<std::string> switches;           // every arg, arg-set and arg-unset, as written
};

std::string attribute(const std::string& element, const std::string& name)
{
    std::smatch match;
    const std::regex pattern("\\s" + name + "=\"([^\"]*)\"");
    return std::regex_search(element, match, pattern) ? match[1].str() : std::string();
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

SettingsFile readSettingsFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    SettingsFile file;
    std::string select; // the id of the <select> being read
    const std::regex element("<(/?)(command|number|boolean|select|option|string|file)\\b[^>]*>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string whole = (*it)[0];
        const std::string kind = (*it)[2];
        const std::string id = attribute(whole, "id");
        if ((*it)[1] == "/") {
            select.clear();
            continue;
        }
        for (const char* name : {"arg", "arg-set", "arg-unset"})
            if (!attribute(whole, name).empty())
                file.switches.push_back(attribute(whole, name));
        if (kind == "command") {
            const auto args = words(attribute(whole, "arg"));
            file.command.insert(file.command.end(), args.begin(), args.end());
        } else if (kind == "number") {
            const std::string arg = attribute(whole, "arg");
            for (const char* bound : {"low", "high", "default"}) {
                std::string value = arg;
                if (value.find('%') != std::string::npos)
                    value.replace(value.find('%'), 1, attribute(whole, bound));
                file.choices[id].push_back(value);
            }
            file.choices[id].push_back("");
            file.defaults[id] = attribute(whole, "default");
        } else if (kind == "boolean") {
            file.choices[id] = {attribute(whole, "arg-set"), attribute(whole, "arg-unset")};
        } else if (kind == "select") {
            select = id;
            file.choices[id];
        } else if (kind == "option") {
            file.choices[select].push_back(attribute(whole, "arg-set"));
        }
    }
    return file;
}

} // namespace

TEST(Options, EverySettingOfTheXScreenSaverDialogRunsAsItSays)
{
    const SettingsFile file = readSettingsFile(CASCADE_SETTINGS_XML);
    ASSERT_EQ(file.command, (std::vector<std::string>{"--root"}));
    ASSERT_EQ(file.choices.size(), 3u) << "delay, draw and showfps";
    // The settings warn of a switch declared twice and show both controls.
    std::set<std::string> distinct(file.switches.begin(), file.switches.end());
    EXPECT_EQ(distinct.size(), file.switches.size());

    // A number left at its default is left off the command line: the
    // program's default must be the dialog's.
    EXPECT_EQ(file.defaults.at("delay"), std::to_string(defaultDelayMicroseconds));

    // Each choice of each control, with the others at their defaults, as the
    // daemon runs it (the window in the environment) and as the preview pane
    // does (--window-id added, the same window in the environment).
    for (const auto& [id, choices] : file.choices) {
        ASSERT_GE(choices.size(), 2u) << id;
        for (const std::string& choice : choices) {
            std::vector<std::string> line = file.command;
            for (const std::string& word : words(choice))
                line.push_back(word);
            for (bool preview : {false, true}) {
                std::vector<std::string> args = line;
                if (preview)
                    args.insert(args.end(), {"--window-id", "0x400CB9"});
                Options options;
                const ParseResult result = parse(args, options, "0x400CB9");
                ASSERT_TRUE(result.ok) << id << " '" << choice << "': " << result.error;
                EXPECT_EQ(options.target, Target::ForeignWindow) << id << " '" << choice << "'";
                EXPECT_EQ(options.windowId, 0x400CB9u);
            }
        }
    }

    // What the dialog's controls say they do, they do.
    const std::vector<std::string> all = [&] {
        std::vector<std::string> line = file.command;
        for (const auto& [id, choices] : file.choices)
            for (const std::string& word : words(choices.front()))
                line.push_back(word);
        return line;
    }();
    Options fromFile;
    ASSERT_TRUE(parse(all, fromFile, "0x1").ok);
    EXPECT_EQ(fromFile.delayMicroseconds, 0) << "the slider's low end";
    Options exact;
    ASSERT_TRUE(parse(words(file.choices.at("draw").back()), exact).ok);
    EXPECT_EQ(exact.draw, DrawOrder::Exact);
    Options fps;
    ASSERT_TRUE(parse(words(file.choices.at("showfps").front()), fps).ok);
    EXPECT_TRUE(fps.showFps);
    EXPECT_FALSE(fps.fpsOnStderr) << "under the daemon, stderr is its log";
}

TEST(Options, EveryOptionTakesOneOrTwoDashes)
{
    // XScreenSaver 6 writes "--root --delay 5000 --fps"; the same command
    // lines with one dash and with two must mean the same.
    auto summary = [](const Options& o) {
        return std::to_string(int(o.target)) + " " + std::to_string(o.windowId) + " " + o.renderPath + " " +
               std::to_string(o.width) + "x" + std::to_string(o.height) + " " + std::to_string(o.frames) + " " +
               std::to_string(o.frameMs) + " " + std::to_string(o.delayMicroseconds) + " " +
               std::to_string(o.showFps) + std::to_string(o.fpsOnStderr) + std::to_string(int(o.draw)) +
               std::to_string(o.help) + std::to_string(o.version) +
               std::to_string(o.overlay) + std::to_string(o.letterboxGiven) + " " + std::to_string(o.letterbox);
    };
    const std::vector<std::vector<std::string>> lines = {
        {"-root", "-delay", "20000", "-fps"},
        {"-fps-stderr", "-draw", "exact"},
        {"-window", "-size", "320x200", "-frames", "5", "-frame-ms", "7"},
        {"-window-id", "0x2a"},
        {"-fullscreen"},
        {"-render", "x.png", "-overlay", "-letterbox", ".25"},
        {"-help"},
        {"-h"},
        {"-version"},
    };
    for (const auto& line : lines) {
        std::vector<std::string> doubled;
        for (const auto& arg : line)
            doubled.push_back(arg.size() > 1 && arg[0] == '-' && arg[1] >= 'a' ? "-" + arg : arg);
        Options one;
        Options two;
        const ParseResult first = parse(line, one);
        const ParseResult second = parse(doubled, two);
        ASSERT_TRUE(first.ok) << line[0] << ": " << first.error;
        ASSERT_TRUE(second.ok) << doubled[0] << ": " << second.error;
        EXPECT_EQ(summary(one), summary(two)) << line[0];
        EXPECT_NE(summary(one), summary(Options{})) << line[0] << " changed nothing";
    }
    // Only one or two: a third dash or a bare "--" is a mistake to report.
    expectRefused({"---root"}, "'---root'");
    expectRefused({"--"}, "'--'");

    // Like -help, -version answers whatever else the line holds.
    Options options;
    ASSERT_TRUE(parse({"--root", "--render", "x.png", "--version"}, options).ok);
    EXPECT_TRUE(options.version);
}

TEST(Options, RandomGarbageNeverCrashesAndAlwaysExplains)
{
    // A seeded sweep of argument vectors built from option names, numbers at
    // the edges and random bytes; the sanitizer build catches bad reads.
    const std::vector<std::string> pieces = {
        "-root", "-window-id", "-delay", "-render", "-frames", "-size", "-frame-ms", "-letterbox",
        "-fps", "--fps-stderr", "-fullscreen", "-overlay", "--size", "0", "0x", "0xffffffff", "4294967296", "8192x8192",
        "x", "", "-", "--", "1", "-1", "60000", "0.49", "99999999999999999999",
    };
    std::mt19937 random(20261208);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::string> args;
        const int count = static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            if (random() % 3 == 0) {
                std::string bytes(random() % 12, '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random() % 256);
                args.push_back(bytes);
            } else {
                args.push_back(pieces[random() % pieces.size()]);
            }
        }
        Options options;
        const ParseResult result = parseOptions(args, round % 2 ? "0x1" : nullptr, options);
        if (result.ok) {
            ++accepted;
            EXPECT_TRUE(result.error.empty());
            EXPECT_GE(options.width, 1);
            EXPECT_LE(options.width, maxDimension);
            EXPECT_GE(options.height, 1);
            EXPECT_LE(options.height, maxDimension);
            EXPECT_GE(options.delayMicroseconds, 0);
            if (options.target == Target::ForeignWindow) {
                EXPECT_NE(options.windowId, 0u);
            }
            if (options.target == Target::Render) {
                EXPECT_GT(options.frames, 0);
            }
        } else {
            ASSERT_FALSE(result.error.empty());
            ASSERT_EQ(result.error.find('\n'), std::string::npos) << result.error;
        }
    }
    // The sweep must reach both outcomes to mean anything.
    EXPECT_GT(accepted, 100);
    EXPECT_LT(accepted, 20000 - 100);
}

TEST(Options, WaylandWhereItIsSetExceptForWhatOnlyX11Has)
{
    const auto onWayland = [](const std::vector<std::string>& args, const char* waylandDisplay,
                              const char* xscreensaverWindow = nullptr) {
        Options options;
        EXPECT_TRUE(parse(args, options, xscreensaverWindow).ok);
        return runsOnWayland(options, waylandDisplay);
    };
    EXPECT_TRUE(onWayland({}, "wayland-0"));
    EXPECT_TRUE(onWayland({"-fullscreen"}, "wayland-1"));
    EXPECT_FALSE(onWayland({}, nullptr));
    EXPECT_FALSE(onWayland({"-fullscreen"}, ""));
    // X-only targets stay on X11 under a Wayland session (XWayland).
    EXPECT_FALSE(onWayland({"-root"}, "wayland-0"));
    EXPECT_FALSE(onWayland({"-window-id", "0x400CB9"}, "wayland-0"));
    EXPECT_FALSE(onWayland({"-root"}, "wayland-0", "0x2a00007"));
    EXPECT_FALSE(onWayland({}, "wayland-0", "0x2a00007"));
    // The options force either way; a full screen outranks the variable.
    EXPECT_FALSE(onWayland({"-x11", "-fullscreen"}, "wayland-0"));
    EXPECT_TRUE(onWayland({"--wayland"}, nullptr));
    EXPECT_TRUE(onWayland({"-wayland", "-fullscreen"}, nullptr, "0x2a00007"));
    EXPECT_FALSE(onWayland({"-render", "x.png"}, "wayland-0"));
    // The lock never falls back to an X11 saver, which would only look locked.
    EXPECT_TRUE(onWayland({"-lock"}, nullptr, "0x2a00007"));

    expectRefused({"-wayland", "-x11"}, "exclude");
    expectRefused({"-wayland", "-root"}, "-wayland");
    expectRefused({"-window-id", "5", "--wayland"}, "-wayland");
    expectRefused({"-wayland"}, "XSCREENSAVER_WINDOW", "0x2a00007");
    expectRefused({"-render", "x.png", "-x11"}, "-render");

    const std::string usage = usageText();
    EXPECT_NE(usage.find("\n  -wayland "), std::string::npos);
    EXPECT_NE(usage.find("\n  -x11 "), std::string::npos);
    const std::string flat = std::regex_replace(usage, std::regex("\\n +"), " ");
    EXPECT_NE(flat.find("the default where it is set, except with -root, -window-id or XSCREENSAVER_WINDOW"),
              std::string::npos);
}
