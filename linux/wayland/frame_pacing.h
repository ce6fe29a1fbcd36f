// When the Wayland saver waits and for how long, from one pass of its loop
// to the next: a frame is drawn once some surface is due one (its last frame
// callback came) and -delay has passed since the last frame's start; with no
// surface due, the saver waits for an event. Such a wait that lasts long
// means the saver was hidden, since frame callbacks come every refresh while
// it is seen: the scene's clock leaves that time out, or its first frame
// back would leap over it.
#pragma once

#include <chrono>
#include <cstdint>

class FramePacing {
public:
    using Clock = std::chrono::steady_clock;

    explicit FramePacing(std::chrono::microseconds delay) : delay_(delay) {}

    // How long the next wait for events may last, in milliseconds (-1: until
    // an event comes).
    int waitLimitMs() const { return waitLimitMs_; }
    // The wait lasted this long.
    void waited(Clock::duration length);
    // After the events: whether to draw a frame now, given whether any
    // surface is due one. Where not, the next wait's limit is set.
    bool frameNow(bool anySurfaceDue);
    // A frame starts at start: the time to leave out of the scene's clock,
    // in milliseconds (0 where the saver was not hidden).
    std::int64_t frameStarted(Clock::time_point start);

private:
    std::chrono::microseconds delay_;
    Clock::time_point deadline_ = Clock::now(); // the next frame's earliest start
    Clock::duration hidden_{};                  // waited with nothing due since the last frame
    bool nothingDue_ = false;
    int waitLimitMs_ = 0;
};
