// The screen-saver command line, read without any system call so that the
// same scan runs in the Windows shell, in native unit tests and under a fuzzer.
#pragma once

#include <cstdint>

namespace cmdline {

enum class SaverSwitch {
    ConfigNoOwner,   // no switch letter at all
    ChangePassword,  // a
    Config,          // c
    Preview,         // p or l
    Saver,           // s
    Invalid,         // any other character
};

struct SwitchScan {
    SaverSwitch mode = SaverSwitch::Invalid;
    // What the mode goes on to read: the handle text after 'a', 'p' or 'l'
    // (spaces already skipped), the text after "c:" when the owner is given,
    // or nullptr when the mode reads nothing more.
    const char* rest = nullptr;
};

// Advances over one character of the text; on Windows the system's CharNextA,
// which knows the code page's double-byte characters.
using NextChar = const char* (*)(const char*);

// One byte further, never past the terminating NUL.
const char* nextByte(const char* text);

// The argument text of a full command line: skips the program name (quoted
// or not) and the control characters and spaces that follow it.
const char* skipProgramName(const char* commandLine, NextChar next = nextByte);

// Picks the mode from the first character that is not a separator.
SwitchScan scanSwitch(const char* arguments);

// Decimal digits from the start of the text, wrapping at 32 bits; the first
// other character ends the number. 0 means no handle.
std::uint32_t scanHandleDigits(const char* text);

} // namespace cmdline
