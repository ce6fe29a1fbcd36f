// The QML item that shows Cascade's scene in KDE Plasma: a
// QQuickFramebufferObject whose renderer draws the core's scene into the
// item's framebuffer on Qt Quick's render thread. The Plasma wallpaper
// package (package/) holds one, so Plasma's lock screen, and its desktop
// where chosen, show the saver's picture.
//
// Paced as the saver is (scene_pace.h), and asks for nothing while its
// window is hidden.
#pragma once

#include <QQuickFramebufferObject>
#include <QTimer>

class SceneItem : public QQuickFramebufferObject {
    Q_OBJECT
public:
    explicit SceneItem(QQuickItem* parent = nullptr);

    Renderer* createRenderer() const override;

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void onWindowVisibilityChanged();
    void followWindow(QQuickWindow* window);

    QTimer frameTimer_;
    QMetaObject::Connection windowVisibility_;
};
