#include "linux/common/scene_run.h"

#include "front/scene_driver.h"
#include "scene/scene_state.h"

FramebufferFormat framebufferFor(const Options& options)
{
    return options.draw == DrawOrder::Batched ? depthlessFramebuffer : saverFramebuffer;
}

void SceneRun::start(const Options& options, int width, int height)
{
    if (options.frameMs >= 0)
        clock_.useFixed(options.frameMs);
    else if (skippable_)
        clock_.useSkippable();
    else
        clock_.useSteady();
    clock_.install();

    // Set on every start, since the field outlives one run: the render
    // benchmark runs both orders in one process.
    const bool batched = options.draw == DrawOrder::Batched;
    cascade::streaks.lineOrder = batched ? StreakField::LineOrder::byWidth : StreakField::LineOrder::byIndex;
    cascade::backdrop.fadeWay = batched ? Backdrop::FadeWay::alone : Backdrop::FadeWay::blended;
    startScene(width, height);

    // sceneReset has just written every setting: the hooks go in after it.
    // sceneFrame reads overlayOn and copies letterboxSetting every frame.
    if (options.overlay)
        cascade::scene.overlayOn = 1;
    if (options.letterboxGiven)
        cascade::scene.letterboxSetting = options.letterbox;
    started_ = true;
}

void SceneRun::skipTime(std::int64_t milliseconds) { clock_.skip(milliseconds); }

void SceneRun::resize(int width, int height)
{
    cascade::backdrop.width = static_cast<float>(width);
    cascade::backdrop.height = static_cast<float>(height);
}

void SceneRun::frame(GLContext& context)
{
    clock_.frameDrawn();
    drawSceneFrame(context);
    ++framesDrawn_;
}

void SceneRun::stop()
{
    if (!started_)
        return;
    releaseScene();
    clock_.uninstall();
    started_ = false;
}
