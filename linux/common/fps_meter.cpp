#include "linux/common/fps_meter.h"

#include <cstdio>

namespace {

// How long frames are counted before a rate is reported, in seconds.
constexpr double reportPeriodSeconds = 1.0;

} // namespace

std::string rateText(double fps)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f fps", fps);
    return text;
}

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
