#include "linux/idle/saver_process.h"

#include <glib.h>

#include <csignal>
#include <ctime>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long a child may take to end on SIGTERM before it is killed; the
// saver ends at once on it, so only a hung one waits this long.
constexpr int endGraceMs = 2000;
constexpr int endCheckMs = 10;

// Runs in the child between fork and exec.
void childSetup(gpointer data)
{
    // Told to end when the watcher goes, even by SIGKILL; a watcher gone
    // already before this took effect is noticed by its parent changing.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != static_cast<pid_t>(GPOINTER_TO_INT(data)))
        ::_exit(0);
}

void childEnded(GPid, gint waitStatus, gpointer data)
{
    static_cast<ChildProcess*>(data)->childHandleEnd(waitStatus);
}

} // namespace

std::vector<std::string> saverArguments(const Options& options, bool ownLock)
{
    std::vector<std::string> arguments = {"cascade", "-fullscreen", "-wayland"};
    if (ownLock)
        arguments.insert(arguments.end(), {"-lock-after", std::to_string(options.lockAfterSeconds)});
    if (options.delayMicroseconds != defaultDelayMicroseconds)
        arguments.insert(arguments.end(), {"-delay", std::to_string(options.delayMicroseconds)});
    if (options.draw != Options{}.draw)
        arguments.insert(arguments.end(), {"-draw", options.draw == DrawOrder::Exact ? "exact" : "batched"});
    if (options.showFps)
        arguments.push_back("-fps");
    if (options.fpsOnStderr)
        arguments.push_back("-fps-stderr");
    return arguments;
}

std::vector<std::string> lockArguments(const Options& options)
{
    if (!options.lockCommand.empty())
        return {"sh", "-c", options.lockCommand};
    return {"loginctl", "lock-session"};
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments, bool searchPath,
                         void (*onEnd)(void*, int), void* data, std::string& error)
{
    std::vector<gchar*> argv;
    argv.push_back(const_cast<gchar*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto flags = static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_FILE_AND_ARGV_ZERO |
                                                (searchPath ? G_SPAWN_SEARCH_PATH : 0));
    GError* fault = nullptr;
    GPid pid = 0;
    if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, childSetup, GINT_TO_POINTER(::getpid()), &pid, &fault)) {
        error = "cannot start " + program + ": " + fault->message;
        g_error_free(fault);
        return false;
    }
    pid_ = pid;
    onEnd_ = onEnd;
    data_ = data;
    watch_ = g_child_watch_add(pid, childEnded, this);
    return true;
}

void ChildProcess::requestEnd()
{
    if (pid_ > 0)
        ::kill(pid_, SIGTERM);
}

void ChildProcess::childHandleEnd(int waitStatus)
{
    pid_ = 0;
    watch_ = 0;
    if (onEnd_)
        onEnd_(data_, waitStatus);
}

void ChildProcess::stop(bool mayHoldLock)
{
    if (pid_ <= 0)
        return;
    g_source_remove(watch_);
    watch_ = 0;
    ::kill(pid_, SIGTERM);
    // The end of the whole watcher: a short bounded wait, not a way to pace
    // anything.
    const timespec pause = {0, endCheckMs * 1000000L};
    for (int waited = 0; waited < endGraceMs; waited += endCheckMs) {
        if (::waitpid(pid_, nullptr, WNOHANG) != 0) {
            pid_ = 0;
            return;
        }
        ::nanosleep(&pause, nullptr);
    }
    if (!mayHoldLock) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = 0;
}

std::string describeWaitStatus(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus));
    return "exit " + std::to_string(WEXITSTATUS(waitStatus));
}
