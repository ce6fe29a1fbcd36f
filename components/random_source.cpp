#include "components/random_source.h"

namespace {
std::uint32_t generatorState = 1;
}

void randomSeed(std::uint32_t seed) { generatorState = seed; }

int randomNext()
{
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFFu);
}

double frand(double x) { return randomNext() / 32768.0 * x; }

float frand(float x) { return static_cast<float>(frand(static_cast<double>(x))); }

float frandGauss(float x)
{
    const double scale = x * 1.414;
    double sum = frand(1.0);
    for (int i = 1; i < 6; ++i)
        sum += frand(1.0);
    return static_cast<float>((sum - 3.0) * scale);
}
