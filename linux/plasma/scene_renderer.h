// Draws the core's scene for a SceneItem, on Qt Quick's render thread with
// Qt's GL context current and the item's framebuffer bound.
//
// It must never stand between the user and the lock screen's prompt: nothing
// thrown leaves it, and once anything fails (the scene's start, a frame that
// throws or leaves a GL error, a second item wanting the one scene a process
// has) it stops the scene and paints black, which the wallpaper shows as its
// plain background, while Qt goes on drawing the prompt over it.
#pragma once

#include "linux/common/scene_run.h"

#include <QElapsedTimer>
#include <QQuickFramebufferObject>

class QQuickWindow;

class SceneRenderer : public QQuickFramebufferObject::Renderer {
public:
    SceneRenderer();
    ~SceneRenderer() override;

    QOpenGLFramebufferObject* createFramebufferObject(const QSize& size) override;
    void synchronize(QQuickFramebufferObject* item) override;
    void render() override;

private:
    void drawFrame();
    void startOnce(const QSize& size);
    void fail(const char* what);
    void stopScene();

    SceneRun run_;
    QQuickWindow* window_ = nullptr;
    QOpenGLFramebufferObject* cleared_ = nullptr;  // the framebuffer last made black
    QElapsedTimer sinceFrame_;
    bool ownsScene_ = false;
    bool failed_ = false;
};
