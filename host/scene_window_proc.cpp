#include "host/scene_host.h"

#include "components/frame_clock.h"
#include "front/scene_driver.h"
#include "host/millisecond_clock.h"
#include "host/wgl_context.h"
#include "shell/saver_hooks.h"

RECT clientRect = {0, 0, 0, 0};
int viewWidth = 0;
int viewHeight = 0;
HDC windowDC = nullptr;
HGLRC glContext = nullptr;

namespace {

constexpr UINT_PTR frameTimerId = 1;
// How often a frame is attempted, not how fast the scene moves: each frame
// measures the time since the last one.
constexpr UINT framePeriodMilliseconds = 5;

// Whose handles windowDC and glContext are.
WglContext windowContext;

} // namespace

LRESULT CALLBACK sceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        startMillisecondClock();
        setMillisecondCounter(millisecondsSinceClockStart);
        GetClientRect(window, &clientRect);
        viewWidth = clientRect.right;
        viewHeight = clientRect.bottom;
        // A failure goes unreported: the scene's GL calls do nothing, the
        // window stays black and still ends on input.
        windowContext.create(window, saverFramebuffer);
        windowDC = windowContext.deviceContext();
        glContext = windowContext.renderingContext();
        startScene(viewWidth, viewHeight);
        SetTimer(window, frameTimerId, framePeriodMilliseconds, nullptr);
        return 0;
    case WM_DESTROY:
        KillTimer(window, frameTimerId);
        releaseScene();
        windowContext.destroy();
        return 0;
    case WM_TIMER:
        // Any timer id draws: the shell only passes on what should be drawn.
        drawSceneFrame(windowContext);
        return 0;
    default:
        return shellDefaultProc(window, message, wParam, lParam);
    }
}
