// Cascade's scene as a Plasma 5 wallpaper. The scene comes through a Loader:
// where its module cannot load (not installed, or no GL), the wallpaper is
// the black below it, and the lock screen's prompt works as ever.
import QtQuick 2.15
import org.kde.plasma.core 2.0 as PlasmaCore

Item {
    id: wallpaper

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    Loader {
        anchors.fill: parent
        source: "Scene.qml"
    }
}
