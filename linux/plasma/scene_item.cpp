#include "linux/plasma/scene_item.h"

#include "linux/plasma/scene_pace.h"
#include "linux/plasma/scene_renderer.h"

#include <QQuickWindow>

SceneItem::SceneItem(QQuickItem* parent) : QQuickFramebufferObject(parent)
{
    // GL's rows run bottom to top; Qt Quick's top to bottom.
    setMirrorVertically(true);
    frameTimer_.setInterval(scene_pace::framePeriodMs);
    connect(&frameTimer_, &QTimer::timeout, this, &QQuickItem::update);
}

QQuickFramebufferObject::Renderer* SceneItem::createRenderer() const { return new SceneRenderer; }

void SceneItem::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickFramebufferObject::itemChange(change, value);
    if (change == ItemSceneChange)
        followWindow(value.window);
    else if (change == ItemVisibleHasChanged)
        onWindowVisibilityChanged();
}

void SceneItem::followWindow(QQuickWindow* window)
{
    disconnect(windowVisibility_);
    if (window)
        windowVisibility_ =
            connect(window, &QWindow::visibleChanged, this, &SceneItem::onWindowVisibilityChanged);
    onWindowVisibilityChanged();
}

// Frames are asked for only while they can be seen; Qt Quick draws nothing
// for a hidden window anyway, and the timer then wakes nobody.
void SceneItem::onWindowVisibilityChanged()
{
    if (window() && window()->isVisible() && isVisible())
        frameTimer_.start();
    else
        frameTimer_.stop();
}
