// The QML module org.cascade.scene: the one type, CascadeScene, that the
// Plasma wallpaper package shows.
#include "linux/plasma/scene_item.h"

#include <QQmlExtensionPlugin>
#include <qqml.h>

class ScenePlugin : public QQmlExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)
public:
    void registerTypes(const char* uri) override { qmlRegisterType<SceneItem>(uri, 1, 0, "CascadeScene"); }
};

#include "scene_plugin.moc"
