import QtQuick 2.15
import org.cascade.scene 1.0

CascadeScene {
}
