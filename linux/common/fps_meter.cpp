#include "linux/common/fps_meter.h"

namespace {

// How long frames are counted before a rate is reported, in seconds.
constexpr double reportPeriodSeconds = 1.0;

} // namespace

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
    if (elapsed < reportPeriodSeconds)
        return false;
    fps = static_cast<double>(frames_) / elapsed;
    windowStart_ = now;
    frames_ = 0;
    return true;
}
