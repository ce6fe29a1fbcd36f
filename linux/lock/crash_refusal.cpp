#include "linux/lock/crash_refusal.h"

#include "linux/common/messages.h"

#include <csignal>

namespace {

// What a driver short of memory dies of: a bad pointer, or its own abort.
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

const char* refusalLine(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "cascade: cannot lock: the locker crashed while making ready (SIGSEGV), most likely in the graphics "
               "driver for want of memory\n";
    case SIGABRT:
        return "cascade: cannot lock: the locker aborted while making ready (SIGABRT), most likely in the graphics "
               "driver for want of memory\n";
    default:
        return "cascade: cannot lock: the locker crashed while making ready\n";
    }
}

void refuse(int signal) { endFromSignal(refusalLine(signal), exitFault); }

void handleWith(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : crashSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

void refuseOnCrash() { handleWith(refuse); }

void crashesAreCrashes() { handleWith(SIG_DFL); }
