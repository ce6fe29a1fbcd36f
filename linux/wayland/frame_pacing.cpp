#include "linux/wayland/frame_pacing.h"

#include "linux/wayland/wait_limit.h"

namespace {

// Wait for events without end: only an event can make a frame due.
constexpr int untilAnEvent = -1;
constexpr int noWait = 0;
// Frame callbacks come every refresh while the saver is seen: a longer wait
// with nothing due means it was hidden.
constexpr std::chrono::milliseconds longestSeenWait{250};

} // namespace

void FramePacing::waited(Clock::duration length)
{
    if (nothingDue_)
        hidden_ += length;
}

bool FramePacing::frameNow(bool anySurfaceDue)
{
    nothingDue_ = !anySurfaceDue;
    // Hidden or not yet configured: nothing to draw until the compositor
    // says otherwise.
    waitLimitMs_ = nothingDue_ ? untilAnEvent : millisecondsUntil(deadline_, Clock::now());
    return !nothingDue_ && waitLimitMs_ == noWait;
}

std::int64_t FramePacing::frameStarted(Clock::time_point start)
{
    // -delay is the least time from one frame's start to the next's.
    deadline_ = start + delay_;
    const std::int64_t leftOut =
        hidden_ > longestSeenWait ? std::chrono::duration_cast<std::chrono::milliseconds>(hidden_).count() : 0;
    hidden_ = {};
    waitLimitMs_ = noWait;
    return leftOut;
}
