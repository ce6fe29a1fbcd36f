#include "linux/common/scene_clock.h"

#include "components/frame_clock.h"

namespace {

// The clock the scene reads, where it is not the default.
const SceneClock* installed = nullptr;

} // namespace

SceneClock::~SceneClock()
{
    if (installed == this)
        uninstall();
}

void SceneClock::useSteady() { kind_ = Kind::Steady; }

void SceneClock::useFixed(std::int64_t frameMs)
{
    kind_ = Kind::Fixed;
    frameMs_ = frameMs;
    elapsedMs_ = 0;
}

void SceneClock::useSkippable()
{
    kind_ = Kind::Skippable;
    epoch_ = std::chrono::steady_clock::now();
    skippedMs_ = 0;
}

void SceneClock::install()
{
    installed = kind_ == Kind::Steady ? nullptr : this;
    setMillisecondCounter(installed ? readInstalled : nullptr);
}

void SceneClock::uninstall()
{
    installed = nullptr;
    setMillisecondCounter(nullptr);
}

void SceneClock::frameDrawn()
{
    if (kind_ == Kind::Fixed)
        elapsedMs_ += frameMs_;
}

void SceneClock::skip(std::int64_t milliseconds)
{
    if (kind_ == Kind::Skippable && milliseconds > 0)
        skippedMs_ += milliseconds;
}

int SceneClock::readInstalled() { return installed->reading(); }

int SceneClock::reading() const
{
    if (kind_ == Kind::Fixed)
        return counterReading(elapsedMs_);
    const auto elapsed = std::chrono::steady_clock::now() - epoch_;
    return counterReading(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() - skippedMs_);
}
