#include "linux/common/failure.h"

#include <cstdio>

int fail(const std::string& message, int status)
{
    std::fprintf(stderr, "cascade: %s\n", message.c_str());
    return status;
}
