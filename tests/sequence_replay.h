// An independent replay of the program's random sequence, written from the
// generator's definition rather than through the core, so tests can tell which
// values the core must have drawn and in what order.
#pragma once

#include <cstdint>

class SequenceReplay {
public:
    explicit SequenceReplay(std::uint32_t seed) : state(seed) {}

    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
    double frand(double x) { return next() / 32768.0 * x; }
    void skip(long count)
    {
        for (long i = 0; i < count; ++i)
            next();
    }

    std::uint32_t state;
};
