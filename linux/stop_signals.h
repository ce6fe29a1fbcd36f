// SIGTERM and SIGINT end the program at once: XScreenSaver ends its hacks
// with SIGTERM and expects them gone, and a frame (or the scene's set-up) in
// progress can take long enough that waiting for it would not be "at once".
// The handler therefore ends the process itself, with only async-signal-safe
// calls; the X server frees the window, grabs and GL context of a client
// that goes, and nothing else is held outside the process.
#pragma once

#include <string>

// The saver: a stop ends the process with exit code 0.
void installStopSignals();

// While a render is under way: a stop removes the unfinished temporary file,
// writes the message on stderr and ends with exit code 1, since the picture
// was not made.
void armInterruptedRender(const std::string& temporaryPath, const std::string& message);
void disarmInterruptedRender();
