#include "linux/common/stop_signals.h"

#include "linux/common/messages.h"

#include <atomic>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// Filled before the handler may need them; the handler only reads them. The
// flag is stored last with release order, so a handler that sees it armed
// also sees the path and the message complete.
char renderTemporary[4096];
char renderMessage[4096];
std::atomic<bool> renderArmed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag");

// Only this thread holds the stops back while it makes or places the file;
// a stop that the kernel hands to one of the GL driver's threads is passed
// on to it, to be handled once it lets stops through.
pthread_t mainThread;

void copyInto(char* destination, std::size_t size, const std::string& text)
{
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

void onStopSignal(int signal)
{
    if (!pthread_equal(pthread_self(), mainThread)) {
        pthread_kill(mainThread, signal);
        return;
    }
    if (renderArmed.load(std::memory_order_acquire)) {
        if (renderTemporary[0] != '\0')
            unlink(renderTemporary);
        endFromSignal(renderMessage, exitFault);
    }
    endFromSignal("", 0);
}

sigset_t stopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : stopSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void installStopSignals()
{
    mainThread = pthread_self();
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigfillset(&action.sa_mask);
    for (int signal : stopSignals)
        sigaction(signal, &action, nullptr);

    // A dead X server shows up as a broken socket; let the write fail and the
    // I/O error handler report it instead of the signal killing us silently.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

void armInterruptedRender(const std::string& temporaryPath, const std::string& message)
{
    renderArmed.store(false, std::memory_order_release);
    copyInto(renderTemporary, sizeof renderTemporary, temporaryPath);
    copyInto(renderMessage, sizeof renderMessage, message);
    renderArmed.store(true, std::memory_order_release);
}

void disarmInterruptedRender() { renderArmed.store(false, std::memory_order_release); }

StopSignalsHeld::StopSignalsHeld()
{
    const sigset_t stops = stopSignalSet();
    pthread_sigmask(SIG_BLOCK, &stops, &previous_);
}

StopSignalsHeld::~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
