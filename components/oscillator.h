// A phase that advances with time, with a fader that now and then slows it to
// a standstill and later brings it back, so the motion never settles into a
// fixed cycle.
#pragma once

class Oscillator {
public:
    static int instanceCount;

    Oscillator();
    virtual ~Oscillator();

    void step(double dt);
    double value() const;      // cos(phase)
    double unitValue() const;  // cos(phase) mapped to [0, 1]
    double getPhase() const;

    int id;
    double phase = 0.0;
    double speed = 1.0;
    double fade = 1.0;
    double fadeRate = 0.0;
};
