// The session's idle watcher ended or started from another process: what
// makes -autostart on|off take effect at once rather than at the next login.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

enum class EndResult {
    NoneRan,   // no process holds the watcher's lease
    Ended,     // the watcher ended and its lock is free
    Unproven,  // something holds the lease that cannot be proven a watcher: left alone
    DidNotEnd, // signalled, but the lease was still held when the wait ran out
};

// Ends the session's watcher; pid is the one ended (or found), 0 if none.
EndResult endRunningWatcher(pid_t& pid);

// Whether process pid runs command (command[0] a path): the same program
// file, by the kernel's word rather than the name that started it (the
// login entry's bare cascade, a terminal's full path, an older entry's
// XScreenSaver link), and the same arguments after it. A file replaced
// since (an upgrade) is another program.
bool runsCommand(pid_t pid, const std::vector<std::string>& command);

// Starts arguments (arguments[0] the program) as the session's watcher, in
// a session of its own, with no terminal, stderr in watcherLogPath(); waits
// until it says it watches. False with one line in error where it ended
// first or never said so.
bool startWatcher(const std::vector<std::string>& arguments, pid_t& pid, std::string& error);
