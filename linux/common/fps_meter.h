// Frames per second over roughly one-second windows, for -fps and -fps-stderr.
#pragma once

#include <string>

// A rate as -fps-stderr prints it: "29.9 fps".
std::string rateText(double fps);

class FpsMeter {
public:
    // Counts one frame at time now (seconds, monotonic). Returns true once
    // per second with the rate of the window that just closed in fps.
    bool frame(double now, double& fps);

private:
    bool started_ = false;
    double windowStart_ = 0.0;
    long frames_ = 0;
};
