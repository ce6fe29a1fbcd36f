#include "components/random_source.h"

namespace {

// A linear congruential generator; each draw keeps 15 bits of the state.
constexpr std::uint32_t lcgMultiplier = 214013u;
constexpr std::uint32_t lcgIncrement = 2531011u;
constexpr int drawShift = 16;
constexpr std::uint32_t drawMask = 0x7FFFu;
constexpr double drawRange = 32768.0;  // one more than the largest draw
// The Gaussian is the centred sum of this many uniform draws, scaled.
constexpr int gaussDraws = 6;
constexpr double gaussMean = 3.0;  // of the sum
constexpr double gaussScale = 1.414;  // per unit of spread

std::uint32_t generatorState = 1;

} // namespace

void randomSeed(std::uint32_t seed) { generatorState = seed; }

int randomNext()
{
    generatorState = generatorState * lcgMultiplier + lcgIncrement;
    return static_cast<int>((generatorState >> drawShift) & drawMask);
}

double frand(double x) { return randomNext() / drawRange * x; }

float frand(float x) { return static_cast<float>(frand(static_cast<double>(x))); }

float frandGauss(float x)
{
    const double scale = x * gaussScale;
    double sum = frand(1.0);
    for (int i = 1; i < gaussDraws; ++i)
        sum += frand(1.0);
    return static_cast<float>((sum - gaussMean) * scale);
}
