// SIGTERM, SIGINT, SIGHUP and SIGQUIT end the program at once: XScreenSaver
// ends its hacks with SIGTERM and expects them gone, a closed terminal or ssh
// session sends SIGHUP, and a frame (or the scene's set-up) in progress can
// take long enough that waiting for it would not be "at once". The handler
// therefore ends the process itself, with only async-signal-safe calls; the
// X server frees the window, grabs and GL context of a client that goes, and
// nothing else is held outside the process.
#pragma once

#include <csignal>
#include <string>

// The saver: a stop ends the process with exit code 0.
void installStopSignals();

// While a render is under way: a stop removes the unfinished temporary file
// (when it has a name; empty when it has none), writes the message on stderr
// and ends with exit code 1, since the picture was not made. Call both with
// the stops held, so that no stop falls between making or placing the file
// and saying so.
void armInterruptedRender(const std::string& temporaryPath, const std::string& message);
void disarmInterruptedRender();

// Holds the stop signals back for its lifetime; one that came meanwhile is
// handled when it ends.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t previous_;
};
