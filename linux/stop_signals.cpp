#include "stop_signals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

void onStopSignal(int) { stopFlag = 1; }

} // namespace

void installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a wait in progress returns EINTR
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    // A dead X server shows up as a broken socket; let the write fail and the
    // I/O error handler report it instead of the signal killing us silently.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool stopRequested() { return stopFlag != 0; }
