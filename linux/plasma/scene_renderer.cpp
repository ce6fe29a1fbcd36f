#include "linux/plasma/scene_renderer.h"

#include "front/gl_context.h"
#include "linux/common/options.h"
#include "linux/plasma/scene_pace.h"
#include "scene/fixed_gl_state.h"

#include <GL/gl.h>
#include <QOpenGLFramebufferObject>
#include <QQuickWindow>
#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QQuickOpenGLUtils>
#endif

#include <atomic>
#include <exception>

namespace {

// The core's scene lives in static instances: one scene a process. The
// first renderer to start takes it; another (a second screen's greeter
// window) paints black.
std::atomic<bool> sceneTaken{false};

// Errors Qt left before a frame are Qt's; a context that keeps reporting
// one (lost, say) must not hold the render thread.
constexpr int mostErrorsDrained = 8;

// Qt presents the item's framebuffer itself: a frame ends with nothing to
// swap.
class QtQuickFrame : public GLContext {
public:
    bool setSwapInterval(int) override { return false; }
    void swapBuffers() override {}
    void destroy() override {}
};

void drainGlErrors()
{
    for (int i = 0; i < mostErrorsDrained && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Qt Quick's renderer and the scene's fixed-function drawing share the
// context: each hands it over in the state the other expects.
void resetQtGlState(QQuickWindow* window)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    Q_UNUSED(window);
    QQuickOpenGLUtils::resetOpenGLState();
#else
    if (window)
        window->resetOpenGLState();
#endif
}

void paintBlack()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

} // namespace

SceneRenderer::SceneRenderer() = default;

SceneRenderer::~SceneRenderer()
{
    try {
        stopScene();
    } catch (...) {
        // The scene's GL objects go with the context; nothing more to free.
    }
}

QOpenGLFramebufferObject* SceneRenderer::createFramebufferObject(const QSize& size)
{
    // The saver's own choice for its default drawing: no depth buffer, which
    // software GL fills much quicker.
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(framebufferFor(Options{}).depthBits > 0 ? QOpenGLFramebufferObject::Depth
                                                                 : QOpenGLFramebufferObject::NoAttachment);
    return new QOpenGLFramebufferObject(size, format);
}

void SceneRenderer::synchronize(QQuickFramebufferObject* item) { window_ = item->window(); }

void SceneRenderer::render()
{
    resetQtGlState(window_);
    // Qt's reset binds the window's own framebuffer: the item's, again.
    framebufferObject()->bind();
    // A new framebuffer (the first, or the item resized) holds no picture
    // yet; the scene's fade would darken whatever it held.
    if (framebufferObject() != cleared_) {
        paintBlack();
        cleared_ = framebufferObject();
    }
    if (failed_) {
        paintBlack();
    } else {
        try {
            drawFrame();
        } catch (const std::exception& thrown) {
            fail(thrown.what());
        } catch (...) {
            fail("an unknown exception");
        }
    }
    resetQtGlState(window_);
}

void SceneRenderer::drawFrame()
{
    const QSize size = framebufferObject()->size();
    // Errors pending now are Qt's; any after this, the scene's start
    // included, are ours.
    drainGlErrors();
    applyFixedGLState();
    startOnce(size);
    if (failed_)
        return;
    qint64 sinceLast = 0;
    if (sinceFrame_.isValid())
        sinceLast = sinceFrame_.restart();
    else
        sinceFrame_.start();
    if (sinceLast > scene_pace::longestStepMs)
        run_.skipTime(sinceLast - scene_pace::framePeriodMs);
    run_.resize(size.width(), size.height());
    QtQuickFrame frame;
    run_.frame(frame);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        fail(QByteArray("GL error 0x").append(QByteArray::number(error, 16)).constData());
}

void SceneRenderer::startOnce(const QSize& size)
{
    if (ownsScene_)
        return;
    if (sceneTaken.exchange(true)) {
        fail("the scene is already shown in another window of this process");
        return;
    }
    ownsScene_ = true;
    run_.useSkippableClock();
    run_.start(Options{}, size.width(), size.height());
}

void SceneRenderer::fail(const char* what)
{
    if (!failed_)
        qWarning("cascade: the scene stops, the background stays black: %s", what);
    failed_ = true;
    // A throw may have cut a glBegin or a display list short, and inside
    // either GL refuses everything Qt draws next: the lock screen's prompt
    // included. Outside them these calls are errors, drained below.
    glEnd();
    glEndList();
    drainGlErrors();
    try {
        stopScene();
    } catch (...) {
    }
    paintBlack();
}

void SceneRenderer::stopScene()
{
    if (!ownsScene_)
        return;
    run_.stop();
    ownsScene_ = false;
    sceneTaken = false;
}
