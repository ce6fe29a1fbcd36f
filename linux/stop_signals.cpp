#include "stop_signals.h"

#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// Filled before the handler may need them; the handler only reads them.
char renderTemporary[4096];
char renderMessage[4096];
volatile std::sig_atomic_t renderArmed = 0;

void copyInto(char* destination, std::size_t size, const std::string& text)
{
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

void onStopSignal(int)
{
    if (renderArmed) {
        unlink(renderTemporary);
        const ssize_t written = write(STDERR_FILENO, renderMessage, std::strlen(renderMessage));
        (void)written;
        _exit(1);
    }
    _exit(0);
}

} // namespace

void installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigfillset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    // A dead X server shows up as a broken socket; let the write fail and the
    // I/O error handler report it instead of the signal killing us silently.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

void armInterruptedRender(const std::string& temporaryPath, const std::string& message)
{
    renderArmed = 0;
    copyInto(renderTemporary, sizeof renderTemporary, temporaryPath);
    copyInto(renderMessage, sizeof renderMessage, message);
    renderArmed = 1;
}

void disarmInterruptedRender() { renderArmed = 0; }
