// The one program-wide pseudo-random sequence. Every random quantity in the
// picture comes from here, so the order of the draws decides the picture.
#pragma once
#include <cstdint>

void randomSeed(std::uint32_t seed);
int randomNext();                 // 0..32767
double frand(double x);           // [0, x) for x > 0
float frand(float x);             // the same value, narrowed
float frandGauss(float x);        // about normal, spread ~x; six draws
