// Everything the program says on stderr: one line each, "cascade: " first
// (under XScreenSaver stderr is the daemon's log, shared with other
// programs), and for a failure the exit status that goes with it.
#pragma once

#include <string>

constexpr int exitFault = 1;       // at run time: display, GL, file
constexpr int exitBadCommand = 2;  // on the command line

// Says message; returns status for main() to end with.
int fail(const std::string& message, int status = exitFault);

// Says message, which ends nothing: the frame rate, how frames are paced,
// what the saver goes on without.
void note(const std::string& message);

// Where nothing can be torn down or returned from (a dead display server,
// Xlib's error handlers): says message and ends with status at once,
// without exit handlers that would talk to the dead server.
[[noreturn]] void endAtOnce(const std::string& message, int status);

// The line fail() would write, newline included, made ahead for a signal
// handler, which cannot make one.
std::string messageLine(const std::string& message);

// For a signal handler: writes line (made by messageLine, or empty) and
// ends with status. Async-signal-safe.
[[noreturn]] void endFromSignal(const char* line, int status);
