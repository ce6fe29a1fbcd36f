// SIGTERM and SIGINT ask the front to stop: XScreenSaver ends its hacks with
// SIGTERM and expects them gone at once. The handlers only set a flag, which
// the frame loops test; waits are interrupted, so the flag is seen within a
// frame.
#pragma once

void installStopSignals();
bool stopRequested();
