// Rules of the saver's behaviour that every front follows the same way.
#pragma once

#include <cstdint>

// A full-screen saver ends once the pointer has travelled more than this many
// pixels from where it stood when the saver started, counted as |dx| + |dy|:
// a slow drift ends it, a small jiggle of the desk does not.
constexpr unsigned pointerTravelLimitPixels = 4;

// Whether a pointer that stood at (fromX, fromY) and stands at (toX, toY) now
// has travelled more than `limit` pixels. In 64 bits, so that no pair of
// window-system coordinates can overflow the distance or wrap it back under
// the limit.
constexpr bool pointerTravelledPast(std::int64_t fromX, std::int64_t fromY, std::int64_t toX, std::int64_t toY,
                                    std::uint64_t limit = pointerTravelLimitPixels)
{
    const std::int64_t dx = toX - fromX;
    const std::int64_t dy = toY - fromY;
    const auto across = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
    const auto down = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
    return across + down > limit;
}
