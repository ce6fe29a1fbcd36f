#include "linux/wayland/pointer_travel.h"

#include "front/saver_rules.h"

#include <cmath>
#include <cstdint>

namespace {

bool travelledPast(double fromX, double fromY, double toX, double toY)
{
    // Whole pixels, as the X11 saver measures: a fraction of a pixel of
    // jitter is no travel.
    const auto whole = [](double value) { return static_cast<std::int64_t>(std::floor(value)); };
    return pointerTravelledPast(whole(fromX), whole(fromY), whole(toX), whole(toY));
}

} // namespace

bool PointerTravel::entered(const void* surface, double x, double y)
{
    surface_ = surface;
    if (deviceMotion_)
        return false;
    if (!originSet_) {
        originSet_ = true;
        originSurface_ = surface;
        originX_ = x;
        originY_ = y;
        return false;
    }
    return surface != originSurface_ || travelledPast(originX_, originY_, x, y);
}

bool PointerTravel::moved(double x, double y)
{
    if (deviceMotion_ || !surface_)
        return false;
    if (!originSet_)
        return entered(surface_, x, y);
    return surface_ == originSurface_ && travelledPast(originX_, originY_, x, y);
}

bool PointerTravel::deviceMoved(double dx, double dy)
{
    if (!deviceMotion_)
        return false;
    deviceX_ += dx;
    deviceY_ += dy;
    // Whole pixels travelled, towards zero: the sub-pixel place the pointer
    // started from is unknown, and a fraction either way is no travel.
    const auto whole = [](double value) { return static_cast<std::int64_t>(std::trunc(value)); };
    return pointerTravelledPast(0, 0, whole(deviceX_), whole(deviceY_));
}

void PointerTravel::surfaceGone(const void* surface)
{
    if (surface == originSurface_)
        originSet_ = false;
    if (surface == surface_)
        surface_ = nullptr;
}
