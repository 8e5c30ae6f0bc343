import QtQuick
import QtQuick.Layouts

// Black frame with a drop shadow that lines up buttons side by side, 1 px apart.
Item {
    id: root

    property int shadowOffsetSize: 2
    default property alias contents: row.data
    property int pad: 0
    property int borderSize: 1

    width: row.implicitWidth + pad
    height: row.implicitHeight + pad
    implicitWidth: width
    implicitHeight: height

    Rectangle {
        id: frame
        objectName: "frame"
        x: root.pad / 2
        y: root.pad / 2
        width: row.implicitWidth + 2 * root.borderSize
        height: row.implicitHeight + 2 * root.borderSize
        color: "black"
        border.color: "black"
        border.width: root.borderSize

        RowLayout {
            id: row
            x: root.borderSize
            y: root.borderSize
            spacing: 1
        }
    }

    // The frame's outline alone casts the shadow: the frame is opaque, so
    // the shadow is the same, and it is drawn once instead of again whenever
    // a button in the frame changes (a pulsing glow would redraw it on every
    // frame).
    Rectangle {
        id: frameShape
        objectName: "frameShape"
        anchors.fill: frame
        color: "black"
        visible: false
    }

    VandDropShadow {
        objectName: "frameShadow"
        z: -5
        anchors.fill: frame
        source: frameShape
        cached: true
        horizontalOffset: root.shadowOffsetSize
        verticalOffset: root.shadowOffsetSize
        radius: 8.0
        spread: 0
        samples: 32
        color: "#44000000"
        transparentBorder: true
    }
}
