import QtQuick
import org.cascade.scene 1.0

CascadeScene {
}
