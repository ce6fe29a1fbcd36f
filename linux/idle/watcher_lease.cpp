#include "linux/idle/watcher_lease.h"

#include "linux/common/messages.h"
#include "linux/common/quoted_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr std::size_t pidTextSize = 32;

std::string programName(pid_t pid)
{
    char path[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    if (length <= 0)
        return std::string();
    std::string program(path, static_cast<std::size_t>(length));
    // A watcher whose program was upgraded under it is still ours.
    const std::string deleted = " (deleted)";
    if (program.size() > deleted.size() && program.compare(program.size() - deleted.size(), deleted.size(), deleted) == 0)
        program.resize(program.size() - deleted.size());
    return program.substr(program.rfind('/') + 1);
}

// Whether the kernel lists pid as holding an flock on the file info names:
// the pid written in the file could be stale or forged, this cannot.
bool kernelSaysHolds(pid_t pid, const struct stat& info)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, device;
        long holder = 0;
        if (!(fields >> number >> kind >> mode >> access >> holder >> device) || kind != "FLOCK")
            continue;
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(device.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 && holder == pid &&
            major == ::major(info.st_dev) && minor == ::minor(info.st_dev) && inode == info.st_ino)
            return true;
    }
    return false;
}

pid_t writtenPid(int fd)
{
    char text[pidTextSize] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return pid > 0 && pid <= INT32_MAX && *end == '\n' ? static_cast<pid_t>(pid) : 0;
}

} // namespace

std::string watcherLeasePath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string display = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
    std::replace(display.begin(), display.end(), '/', '_');
    // Without a runtime folder (no Wayland session would lack one), the user
    // id keeps users apart in /tmp.
    return runtime && *runtime ? std::string(runtime) + "/cascade-idle-" + display + ".lock"
                               : "/tmp/cascade-idle-" + std::to_string(::getuid()) + "-" + display + ".lock";
}

namespace {

std::string besideLease(const std::string& ending)
{
    std::string path = watcherLeasePath();
    return path.substr(0, path.size() - std::string(".lock").size()) + ending;
}

} // namespace

std::string watcherLogPath()
{
    return besideLease(".log");
}

std::string autostartLockPath()
{
    return besideLease("-autostart.lock");
}

bool takeWatcherLease(int& fd, std::string& error)
{
    const std::string path = watcherLeasePath();
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = "cannot open " + quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "an idle watcher already runs in this session (" + path + ")"
                                     : "cannot lock " + quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    // Written only once held: a reader that finds the lease held and a pid
    // that does not hold it (written by a watcher that died, or not yet
    // overwritten) proves nothing and signals nothing.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size()))
        note("cannot write the pid into " + quoted(path) + ": -autostart cannot replace or end this watcher");
    return true;
}

bool watcherLeaseHeld()
{
    const int fd = ::open(watcherLeasePath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

int leaseHolder(pid_t& pid)
{
    pid = 0;
    const int fd = ::open(watcherLeasePath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat info {};
    const pid_t written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()
                              ? writtenPid(fd)
                              : 0;
    ::close(fd);
    if (written == 0)
        return -1;
    // The pidfd first, the proof after: once it is open, a pid reused by
    // another process can no longer be what the signal reaches, and what
    // the checks below find is the process the pidfd names.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, written, 0));
    if (pidfd < 0)
        return -1;
    if (!kernelSaysHolds(written, info) || programName(written) != "cascade") {
        ::close(pidfd);
        return -1;
    }
    pid = written;
    return pidfd;
}
