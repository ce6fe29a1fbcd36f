// The millisecond counter the scene reads during one run (see
// components/frame_clock.h): the default steady clock; the scripted one of
// -frame-ms, which reads k * M at frame k, so that every frame lasts exactly
// M ms and the picture does not depend on the machine's speed; or, for a
// front that draws nothing while hidden, the real clock less the time left
// out. The core takes its counter as a plain function, so one clock at a
// time is installed for it to read.
#pragma once

#include <chrono>
#include <cstdint>

class SceneClock {
public:
    SceneClock() = default;
    SceneClock(const SceneClock&) = delete;
    SceneClock& operator=(const SceneClock&) = delete;
    // Uninstalls the clock where it is still the one read.
    ~SceneClock();

    void useSteady();
    void useFixed(std::int64_t frameMs);
    void useSkippable();
    // The scene reads this clock from now on.
    void install();
    // The scene reads the default clock again.
    void uninstall();

    // A frame was drawn: the scripted clock moves on by one frame.
    void frameDrawn();
    // Leaves time out of the skippable clock; the others go on as they are.
    void skip(std::int64_t milliseconds);

private:
    enum class Kind { Steady, Fixed, Skippable };
    static int readInstalled();
    int reading() const;

    Kind kind_ = Kind::Steady;
    std::int64_t frameMs_ = 0;   // Fixed: each frame's length
    std::int64_t elapsedMs_ = 0; // Fixed: the frames drawn, in time
    std::chrono::steady_clock::time_point epoch_; // Skippable: the run's start
    std::int64_t skippedMs_ = 0;                  // Skippable: the time left out
};
