#include "linux/common/messages.h"

#include <cstdio>
#include <cstring>

#include <unistd.h>

int fail(const std::string& message, int status)
{
    note(message);
    return status;
}

void note(const std::string& message)
{
    std::fprintf(stderr, "cascade: %s\n", message.c_str());
}

void endAtOnce(const std::string& message, int status)
{
    note(message);
    std::fflush(stderr);
    _exit(status);
}

std::string messageLine(const std::string& message)
{
    return "cascade: " + message + "\n";
}

void endFromSignal(const char* line, int status)
{
    const ssize_t written = write(STDERR_FILENO, line, std::strlen(line));
    (void)written;
    _exit(status);
}
