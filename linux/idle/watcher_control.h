// The session's idle watcher ended or started from another process: what
// makes -autostart on|off take effect at once rather than at the next login.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

enum class EndResult {
    NoneRan,   // no process holds the session's lock
    Ended,     // the watcher ended and its lock is free
    Unproven,  // something holds the lock that cannot be proven a watcher: left alone
    DidNotEnd, // signalled, but the lock was still held when the wait ran out
};

// Ends the session's watcher; pid is the one ended (or found), 0 if none.
EndResult endRunningWatcher(pid_t& pid);

// The command line process pid was started with; empty where it is gone.
std::vector<std::string> processArguments(pid_t pid);

// Starts arguments (arguments[0] the program) as the session's watcher, in
// a session of its own, with no terminal, stderr in sessionLogPath(); waits
// until it says it watches. False with one line in error where it ended
// first or never said so.
bool startWatcher(const std::vector<std::string>& arguments, pid_t& pid, std::string& error);
