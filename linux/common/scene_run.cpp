#include "linux/common/scene_run.h"

#include "components/frame_clock.h"
#include "front/scene_driver.h"
#include "scene/scene_state.h"

#include <chrono>
#include <cstdint>

namespace {

// The scripted counter for -frame-ms: frame k reads k * M milliseconds, so
// every frame lasts exactly M ms and the picture does not depend on the
// machine's speed.
std::int64_t fixedFrameMs = -1;
std::int64_t fixedElapsedMs = 0;

int fixedCounter()
{
    return counterReading(fixedElapsedMs);
}

// The skippable real clock: milliseconds since the run started, less the
// time skipped.
std::chrono::steady_clock::time_point skippableEpoch;
std::int64_t skippedMs = 0;

int skippableCounter()
{
    const auto elapsed = std::chrono::steady_clock::now() - skippableEpoch;
    return counterReading(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() - skippedMs);
}

} // namespace

void SceneRun::start(const Options& options, int width, int height)
{
    if (options.frameMs >= 0) {
        fixedFrameMs = options.frameMs;
        fixedElapsedMs = 0;
        setMillisecondCounter(fixedCounter);
    } else if (skippable_) {
        fixedFrameMs = -1;
        skippableEpoch = std::chrono::steady_clock::now();
        skippedMs = 0;
        setMillisecondCounter(skippableCounter);
    } else {
        fixedFrameMs = -1;
        setMillisecondCounter(nullptr);
    }

    // Set on every start, since the field outlives one run: the render
    // benchmark runs both orders in one process.
    cascade::streaks.lineOrder = options.draw == DrawOrder::Batched ? StreakField::LineOrder::byWidth
                                                                    : StreakField::LineOrder::byIndex;
    startScene(width, height);

    // sceneReset has just written every setting: the hooks go in after it.
    // sceneFrame reads overlayOn and copies letterboxSetting every frame.
    if (options.overlay)
        cascade::scene.overlayOn = 1;
    if (options.letterboxGiven)
        cascade::scene.letterboxSetting = options.letterbox;
    started_ = true;
}

void SceneRun::skipTime(std::int64_t milliseconds)
{
    if (skippable_ && fixedFrameMs < 0 && milliseconds > 0)
        skippedMs += milliseconds;
}

void SceneRun::resize(int width, int height)
{
    cascade::backdrop.width = static_cast<float>(width);
    cascade::backdrop.height = static_cast<float>(height);
}

void SceneRun::frame(GLContext& context)
{
    if (fixedFrameMs >= 0)
        fixedElapsedMs += fixedFrameMs;
    drawSceneFrame(context);
    ++framesDrawn_;
}

void SceneRun::stop()
{
    if (!started_)
        return;
    releaseScene();
    setMillisecondCounter(nullptr);
    started_ = false;
}
