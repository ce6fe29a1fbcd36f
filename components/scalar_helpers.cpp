#include "components/scalar_helpers.h"

#include <cmath>

float clampf(float x, float low, float high)
{
    if (x < low)
        return low;
    if (x > high)
        return high;
    return x;
}

float maxf(float a, float b) { return a > b ? a : b; }
float minf(float a, float b) { return a < b ? a : b; }
int maxi(int a, int b) { return a > b ? a : b; }
int mini(int a, int b) { return a < b ? a : b; }

float wrapf(float x, float low, float high)
{
    const float span = high - low;
    int n = static_cast<int>(x / span);
    // Only the sign of x decides the correction, so a negative exact multiple
    // of the span maps to the span itself rather than to 0.
    if (x < 0)
        n = n - 1;
    return static_cast<float>(x - n * span);
}

float fsin(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
float fcos(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
