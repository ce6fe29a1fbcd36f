// When the watcher brings the saver on GNOME, whose own blanking must not
// come first: shared by the watcher and the settings window, which tells the
// user the time before it happens.
#pragma once

// GNOME blanks the screen at its own idle delay: the saver comes at the
// latest this long before it, or half-way to it where the delay is shorter
// than twice that, so that it is seen at all.
constexpr unsigned gnomeBlankLeadSeconds = 60;

// The idle seconds the watcher waits for when asked for `asked` and GNOME
// blanks after `gnomeBlank` (0: never, or not GNOME).
unsigned idleSecondsBeforeBlank(unsigned asked, unsigned gnomeBlank);
