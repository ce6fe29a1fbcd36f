// Loaded into the program under test (LD_PRELOAD), for what a render or the
// list adder does that no output shows. Each probe is switched on by the
// environment:
// - CASCADE_STOP_SIGNAL=N: the moment the first temporary file is made
//   (unnamed with O_TMPFILE, or named by mkstemp), signal N is sent, once: a
//   stop after the new file exists and before it may replace the old one,
//   and for a render before anything that would clean it up is armed.
// - CASCADE_NO_UNNAMED_FILES=1: O_TMPFILE is refused as by a file system
//   without unnamed files, so the render takes a named temporary file.
// - CASCADE_FAIL_RENAME=1: every rename fails (EIO), as the last step of a
//   replace may on a failing disk.
// - CASCADE_RIVAL_FILE=FILE[:FILE2]: the first time a file is renamed or
//   swapped into place, FILE is renamed there just before, as another
//   writer's save landing after the last compare; FILE2 likewise the second
//   time (a swap undone).
// - CASCADE_COUNT_LINE_WIDTHS=FILE: counts the glLineWidth calls and writes
//   the count into FILE at exit.
// - CASCADE_NEW_LIMIT=BYTES: operator new refuses any block larger than
//   BYTES, as a tight address space refuses a large picture's pixels.
#include <GL/gl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

template <typename Function>
Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int stopOnce(int fd)
{
    static bool sent = false;
    const char* chosen = std::getenv("CASCADE_STOP_SIGNAL");
    if (fd >= 0 && chosen && !sent) {
        sent = true;
        raise(std::atoi(chosen));
    }
    return fd;
}

long lineWidthsSet = 0;

__attribute__((destructor)) void writeCounts()
{
    if (const char* path = std::getenv("CASCADE_COUNT_LINE_WIDTHS"))
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "%ld\n", lineWidthsSet);
            std::fclose(file);
        }
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
    if ((flags & O_TMPFILE) != O_TMPFILE)
        return nextDefinition<int (*)(const char*, int, ...)>("open")(path, flags, mode);
    if (std::getenv("CASCADE_NO_UNNAMED_FILES")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return stopOnce(nextDefinition<int (*)(const char*, int, ...)>("open")(path, flags, mode));
}

extern "C" int mkstemp(char* pattern) { return stopOnce(nextDefinition<int (*)(char*)>("mkstemp")(pattern)); }

// Whether the rename into to fails, after the rival's save landed there.
bool renameRefused(const char* to)
{
    static int renames = 0;
    const char* rivals = std::getenv("CASCADE_RIVAL_FILE");
    if (rivals && renames < 2) {
        const std::string list = rivals;
        const std::size_t colon = list.find(':');
        const std::string rival = renames++ == 0 ? list.substr(0, colon)
                                  : colon == std::string::npos ? std::string()
                                                               : list.substr(colon + 1);
        if (!rival.empty())
            nextDefinition<int (*)(const char*, const char*)>("rename")(rival.c_str(), to);
    }
    errno = EIO;
    return std::getenv("CASCADE_FAIL_RENAME") != nullptr;
}

extern "C" int rename(const char* from, const char* to)
{
    return renameRefused(to) ? -1 : nextDefinition<int (*)(const char*, const char*)>("rename")(from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    // Backups take their names by RENAME_NOREPLACE: not the step in question.
    if ((flags & RENAME_EXCHANGE) && renameRefused(to))
        return -1;
    return nextDefinition<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(fromFolder, from,
                                                                                            toFolder, to, flags);
}

extern "C" void glLineWidth(GLfloat width)
{
    static const auto next = nextDefinition<void (*)(GLfloat)>("glLineWidth");
    ++lineWidthsSet;
    next(width);
}

// Past CASCADE_NEW_LIMIT bytes an allocation fails; the others are the next
// definition's (the C++ library's, or the address sanitizer's), so that every
// block goes back the way it was had.
void* operator new(std::size_t size)
{
    static const char* limit = std::getenv("CASCADE_NEW_LIMIT");
    static const auto next = nextDefinition<void* (*)(std::size_t)>("_Znwm");
    if (limit && size > std::strtoull(limit, nullptr, 10))
        throw std::bad_alloc();
    return next(size);
}
