// Puts the shell back into its start state between tests and gives the tests
// plain windows to work with.
#pragma once

#include <windows.h>

namespace support {

// Every shell module variable back to its start value, the saver class
// unregistered, the stub hook cleared, stray WM_CLOSE and WM_QUIT dropped.
void resetShell();

// A plain visible top-level window with the given client size.
HWND makeTopLevel(const char* title, int clientWidth, int clientHeight);

// Removes one WM_CLOSE queued for the window; true if there was one.
bool takeClose(HWND window);
// Drops every queued WM_CLOSE of the window.
void dropCloses(HWND window);
// Dispatches what is queued for the thread, for about the given time.
void pump(DWORD milliseconds);

} // namespace support
