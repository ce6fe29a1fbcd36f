// The command line's options, one entry each, and the reading of the
// arguments through them into a ParseState. -help is made from the same
// entries (usage_text.h), so that what it says of an option and its default
// cannot drift from what the parser does. Portable.
#pragma once

#include "linux/common/options.h"

#include <string>
#include <vector>

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

// One entry per option, in its one-dash form. A flag sets its field; an
// option with a value reads the argument after it and says what was wrong.
struct OptionEntry {
    const char* name;
    void (*flag)(ParseState&);
    bool (*withValue)(ParseState&, const std::string&, std::string&);
    const char* valueName; // as -help shows the value; null for a flag
    const char* summary;   // null for an alias that -help leaves out
    std::string (*defaultText)();
};

// Every entry, in -help's order.
struct OptionTable {
    const OptionEntry* first;
    const OptionEntry* last;
    const OptionEntry* begin() const { return first; }
    const OptionEntry* end() const { return last; }
};
OptionTable optionTable();

// Reads every argument into state; false with error set at the first wrong one.
bool readArguments(const std::vector<std::string>& args, ParseState& state, std::string& error);
