// Loaded into the program under test (LD_PRELOAD): the moment a render's
// temporary file is made (unnamed with O_TMPFILE, or named by mkstemp), the
// process is sent a stop (CASCADE_STOP_SIGNAL, SIGTERM unless set), once. So
// the stop lands, every time, in the narrowest window a render has: after
// the file exists, before anything that cleans it up is armed.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>

#include <cstdarg>
#include <cstdlib>

namespace {

template <typename Function>
Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int stopOnce(int fd)
{
    static bool sent = false;
    if (fd >= 0 && !sent) {
        sent = true;
        const char* chosen = std::getenv("CASCADE_STOP_SIGNAL");
        raise(chosen ? std::atoi(chosen) : SIGTERM);
    }
    return fd;
}

} // namespace

extern "C" int open(const char* path, int flags, ...)
{
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    const int fd = nextDefinition<int (*)(const char*, int, ...)>("open")(path, flags, mode);
    return (flags & O_TMPFILE) == O_TMPFILE ? stopOnce(fd) : fd;
}

extern "C" int mkstemp(char* pattern) { return stopOnce(nextDefinition<int (*)(char*)>("mkstemp")(pattern)); }
