// A property check that holds in every build type: a violated one names
// itself and aborts, which libFuzzer reports as a crash with its input saved.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,     \
                         #condition);                                                      \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)
