// The processes the idle watcher starts: the full-screen saver, run as a
// child of the same program so that a saver that crashes leaves the watcher
// watching, and the lock command. A child is told to end when the watcher
// ends, however it ends, so none outlives it.
#pragma once

#include "linux/common/options.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The saver's command line: the full-screen Wayland saver with the look
// options the watcher was given; with ownLock, the saver becomes the
// session's lock itself once it has been up -lock-after seconds.
std::vector<std::string> saverArguments(const Options& options, bool ownLock);

// The lock's command line: the user's command through the shell, else
// logind's lock of this session.
std::vector<std::string> lockArguments(const Options& options);

// A child started from the main loop, reaped there: ended() is called with
// its wait status. Not copyable: it owns the child.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // program is run with arguments (arguments[0] its name); searchPath
    // looks it up in PATH. onEnd is called from the main loop once it has
    // ended. False with error set.
    bool start(const std::string& program, const std::vector<std::string>& arguments, bool searchPath,
               void (*onEnd)(void* data, int waitStatus), void* data, std::string& error);
    bool running() const { return pid_ > 0; }
    // Asks the child to end (SIGTERM) and, from the main loop, hears it end.
    void requestEnd();
    // Ends the child now, waiting for it: a child that does not end on
    // SIGTERM within endGrace is killed, or with mayHoldLock left running,
    // since a child that holds the session's lock ignores SIGTERM and its
    // death would leave the session locked for good. onEnd is not called.
    void stop(bool mayHoldLock = false);

    // For the main loop's child watch.
    void childHandleEnd(int waitStatus);

private:
    pid_t pid_ = 0;
    unsigned watch_ = 0;
    void (*onEnd_)(void*, int) = nullptr;
    void* data_ = nullptr;
};

// How a wait status reads in a line: "exit 3", "signal 11".
std::string describeWaitStatus(int waitStatus);
