import QtQuick
import QtQuick.Controls.Basic

// Small pan knob from -1 (left) to 1 (right), turned by dragging sideways,
// with a notch at the top onto which a turn near the centre snaps.
Dial {
    id: control

    property real zeroMark: 0
    property bool showZeroMark: true
    property real snapTolerance: 0.05

    readonly property real knobSize: Math.min(width, height)

    implicitWidth: 25
    implicitHeight: 25
    from: -1
    to: 1
    value: 0.0
    inputMode: Dial.Horizontal

    function snapToZeroMark() {
        if (showZeroMark && to !== from && Math.abs(value - zeroMark) / Math.abs(to - from) < snapTolerance)
            value = zeroMark;
    }

    onMoved: snapToZeroMark()

    handle: null

    background: Item {
        implicitWidth: 25
        implicitHeight: 25

        // A stub half a pointer long above the face, reaching just under its
        // edge: the dimmed face of a disabled dial is translucent.
        Rectangle {
            objectName: "notch"
            width: 3
            height: pointer.height / 2 + 2
            radius: 1
            color: "lime"
            x: face.x + (face.width - width) / 2
            y: face.y - pointer.height / 2
            visible: control.showZeroMark
        }

        Rectangle {
            id: face
            objectName: "face"
            width: Math.max(10, control.knobSize)
            height: width
            radius: width / 2
            x: (control.width - width) / 2
            y: (control.height - height) / 2
            color: control.pressed || control.hovered ? Qt.lighter("#69696a", 1.3) : "#69696a"
            opacity: control.enabled ? 1.0 : 0.3
        }

        Rectangle {
            id: pointer
            objectName: "pointer"
            width: 2
            height: control.knobSize / 4
            color: "#2d2d2d"
            antialiasing: true
            x: face.x + face.width / 2 - width / 2
            y: face.y
            transform: Rotation {
                origin.x: pointer.width / 2
                origin.y: face.height / 2
                angle: control.angle
            }
        }

        Text {
            id: leftLabel
            objectName: "leftLabel"
            text: "L"
            font.pixelSize: 7
            color: "white"
            x: 0
            y: control.height - height / 2
        }

        Text {
            objectName: "rightLabel"
            text: "R"
            font.pixelSize: 7
            color: "white"
            x: control.width - leftLabel.width
            y: control.height - leftLabel.height / 2
        }
    }
}
