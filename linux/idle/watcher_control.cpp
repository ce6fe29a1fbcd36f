#include "linux/idle/watcher_control.h"

#include "linux/idle/watcher_lease.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A watcher ends its saver and its lock command, each given two seconds to
// go, before it lets its lease go.
constexpr int endWaitMs = 10000;
// A watcher says it watches once it has the compositor's or the desktop's
// idle signal: a connection and a few round trips, or GNOME's bus.
constexpr int startWaitMs = 10000;
constexpr int checkEveryMs = 20;
constexpr int execFailed = 127;
// What the watcher says on stderr once it watches (idle_watcher.cpp).
constexpr const char* watchingLine = "cascade: watching ";

void waitAMoment()
{
    const timespec step = {0, checkEveryMs * 1000000L};
    ::nanosleep(&step, nullptr);
}

std::string lastLine(const std::string& path)
{
    std::ifstream log(path);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last.compare(0, 9, "cascade: ") == 0 ? last.substr(9) : last;
}

bool saysWatching(const std::string& path)
{
    std::ifstream log(path);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    return text.find(watchingLine) != std::string::npos;
}

// In the child, before exec: nothing of the caller's stays with a process
// that outlives it. Its own session takes it out of the terminal's, whose
// hangup would end it, and out of the caller's process group; fds the
// caller left open (a settings window's pipes) are closed; the working
// folder no longer pins a mount.
[[noreturn]] void becomeWatcher(const std::vector<std::string>& arguments, int log)
{
    ::setsid();
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(log >= 0 ? log : null, STDERR_FILENO);
    ::syscall(SYS_close_range, 3u, ~0u, 0u);
    if (::chdir("/") != 0)
        ::_exit(execFailed);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    const std::string line = "cascade: cannot start " + arguments[0] + ": " + std::strerror(errno) + "\n";
    const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    (void)written;
    ::_exit(execFailed);
}

} // namespace

EndResult endRunningWatcher(pid_t& pid)
{
    const int pidfd = leaseHolder(pid);
    if (pidfd < 0)
        return watcherLeaseHeld() ? EndResult::Unproven : EndResult::NoneRan;
    // By the pidfd, not the pid: the process proven is the one signalled,
    // even if it ended since and its pid went to another.
    const bool sent = ::syscall(SYS_pidfd_send_signal, pidfd, SIGTERM, nullptr, 0) == 0 || errno == ESRCH;
    ::close(pidfd);
    if (!sent)
        return EndResult::DidNotEnd;
    // The lease, not the process, is what a new watcher needs: the process
    // may linger as a zombie of whoever started it, the lease goes with its
    // last fd.
    for (int waited = 0; waited < endWaitMs; waited += checkEveryMs) {
        if (!watcherLeaseHeld())
            return EndResult::Ended;
        waitAMoment();
    }
    return EndResult::DidNotEnd;
}

bool runsCommand(pid_t pid, const std::vector<std::string>& command)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
    std::vector<std::string> running;
    std::string argument;
    while (std::getline(file, argument, '\0'))
        running.push_back(argument);
    struct stat program {}, executable {};
    return !command.empty() && running.size() == command.size() &&
           std::equal(command.begin() + 1, command.end(), running.begin() + 1) &&
           ::stat(command[0].c_str(), &program) == 0 &&
           ::stat(("/proc/" + std::to_string(pid) + "/exe").c_str(), &executable) == 0 &&
           program.st_dev == executable.st_dev && program.st_ino == executable.st_ino;
}

bool startWatcher(const std::vector<std::string>& arguments, pid_t& pid, std::string& error)
{
    // Emptied here, before the child can write: what the last watcher said
    // must not pass for this one's word.
    const std::string log = watcherLogPath();
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    pid = logFd < 0 ? -1 : ::fork();
    if (pid < 0) {
        error = std::string("cannot start the watcher: ") + (logFd < 0 ? "cannot open " + log + ": " : "") +
                std::strerror(errno);
        if (logFd >= 0)
            ::close(logFd);
        pid = 0;
        return false;
    }
    if (pid == 0)
        becomeWatcher(arguments, logFd);
    ::close(logFd);
    for (int waited = 0; waited < startWaitMs; waited += checkEveryMs) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            const std::string why = lastLine(log);
            error = "the watcher ended at once" + (why.empty() ? std::string() : ": " + why);
            pid = 0;
            return false;
        }
        if (saysWatching(log))
            return true;
        waitAMoment();
    }
    error = "the watcher (pid " + std::to_string(pid) + ") has not said it watches after " +
            std::to_string(startWaitMs / 1000) + " s; see " + log;
    return false;
}
