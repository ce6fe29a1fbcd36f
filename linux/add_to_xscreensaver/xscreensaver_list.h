// The programs list of an XScreenSaver settings file (~/.xscreensaver, or the
// system's app-defaults), read and edited as bytes: Cascade is switched on or
// appended, and every other byte of the file stays where it was. Portable: no
// file system here, only text in and text out.
//
// The file is read as the daemon reads it: a line that ends in an odd number
// of backslashes (before an optional carriage return) goes on in the next;
// the last "programs:" resource counts ("*programs:" only in the system's
// file); its entries are separated by "\n"
// and each is [-] [visual:] ["name"] command (name and visual in either
// order). Cascade's entry is one whose command's program is named cascade,
// wherever it lives.
#pragma once

#include <cstddef>
#include <string>

enum class CascadeState { Enabled, Disabled, Absent };

// What a programs list holds of Cascade; npos where the file has no list.
struct ProgramsList {
    bool found = false;
    std::size_t begin = 0;  // the resource's first byte
    std::size_t end = 0;    // after its last byte, before the line end
    CascadeState cascade = CascadeState::Absent;
    std::size_t switchOffMark = 0; // the "-" of the first switched-off Cascade
};

// system: the app-defaults, whose resources start with "*".
ProgramsList findProgramsList(const std::string& file, bool system = false);

// The entry added where Cascade is absent, as xscreensaver-settings aligns them.
extern const char* const cascadeEntry;

struct ListEdit {
    CascadeState before = CascadeState::Absent;
    bool fromSystem = false; // the user's file has no list: the system's went in
    std::string text;        // the new file
};

// userFile: the user's file, or null where there is none; systemFile: the
// app-defaults, used only where the user's file has no list. A new file
// starts with a comment naming systemName. False, with error set, where
// neither file has a list.
bool addCascade(const std::string* userFile, const std::string& systemFile, const std::string& systemName,
                ListEdit& edit, std::string& error);
