import QtQuick

// The play position: a thin line across the timeline's lanes.
Item {
    id: control
    objectName: "playhead"

    property int basePos: 0
    property double viewScale: 1.0

    height: parent ? parent.height : 0
    x: basePos * viewScale

    Rectangle {
        width: 1
        height: parent.height
        color: "#26A5DE"
    }
}
