#include "components/oscillator.h"

#include "components/random_source.h"

#include <cmath>

namespace {

constexpr double restartChance = 0.001;  // per step of a resting fader
constexpr double fadeSpeed = 0.1;  // of the full fade, per unit of step time
constexpr double stopLevel = 0.05;  // a fade-out below this stops at 0

} // namespace

int Oscillator::instanceCount = 0;

Oscillator::Oscillator() : id(instanceCount) { ++instanceCount; }

Oscillator::~Oscillator() {}

void Oscillator::step(double dt)
{
    // A resting fader draws exactly once per step whether or not it triggers,
    // which keeps every later draw of the frame in its place.
    if (fade == 0.0 || fade == 1.0) {
        const double r = frand(1.0);
        if (r < restartChance)
            fadeRate = (fade == 1.0) ? -fadeSpeed : fadeSpeed;
    }
    fade = fade + dt * fadeRate;
    if (fadeRate < 0 && fade < stopLevel) {
        fade = 0.0;
        fadeRate = 0.0;
    } else if (fadeRate > 0 && fade > 1.0) {
        fade = 1.0;
        fadeRate = 0.0;
    }
    phase = phase + fade * speed * dt;
}

double Oscillator::value() const { return std::cos(phase); }

double Oscillator::unitValue() const { return 0.5 * std::cos(phase) + 0.5; }

double Oscillator::getPhase() const { return phase; }
