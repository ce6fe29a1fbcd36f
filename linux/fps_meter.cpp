#include "fps_meter.h"

bool FpsMeter::frame(double now, double& fps)
{
    if (!started_ || now < windowStart_) {
        started_ = true;
        windowStart_ = now;
        frames_ = 0;
        return false;
    }
    ++frames_;
    const double elapsed = now - windowStart_;
    if (elapsed < 1.0)
        return false;
    fps = static_cast<double>(frames_) / elapsed;
    windowStart_ = now;
    frames_ = 0;
    return true;
}
