// KConfig's INI text (kscreenlockerrc and KDE's other rc files) read and
// edited line by line: an edit touches only the lines of its own key, so
// every other line, comment and group stays byte for byte as the user or
// KDE left it, line ends and all.
#pragma once

#include <optional>
#include <string>

// The value of key in the top-level group as KDE reads it: the last such
// line wins; a group of the same name nested in another ([Greeter][Wallpaper])
// and a translated key (key[de]) are other entries.
std::optional<std::string> kconfigEntry(const std::string& text, const std::string& group, const std::string& key);

// text with key set to value: every line of the key rewritten in place, or,
// where there is none, one line added at the end of the group's first
// section, or the group added at the end of the text. New lines end as the
// text's first line does (CRLF or LF).
std::string withKConfigEntry(const std::string& text, const std::string& group, const std::string& key,
                             const std::string& value);

// text without the key's lines, so that KDE's default (or a system-wide
// file's value) applies; the group's header and other lines stay.
std::string withoutKConfigEntry(const std::string& text, const std::string& group, const std::string& key);
