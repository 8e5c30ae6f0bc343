import QtQuick
import com.tarnwick.vand_ui

// A marker, or a key, tempo or meter label, on the timeline: its label, or a
// diamond when the label has no room.
Item {
    id: control
    objectName: "timeLineMarker"

    property double viewScale: 1.0
    property int basePosition: 0
    property string labelText: "Label"
    property bool visibleLabel: true
    property int diamondSize: 8
    property int diamondHeight: 4
    property color textColorDefault: "white"
    property color textColorHover: "white"
    property color backgroundColorDefault: "#404040"
    property color backgroundColorHover: "white"
    property bool editable: false
    property bool selected: false
    property bool doHighlight: true

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    x: viewScale * basePosition
    z: 16000
    width: metrics.advanceWidth + 5
    height: visibleLabel ? 20 : diamondHeight

    TextMetrics {
        id: metrics
        font: label.font
        text: control.labelText
    }

    Text {
        id: label
        objectName: "markerLabel"
        y: -2
        height: control.height
        text: control.labelText + " "
        font.pixelSize: 10
        verticalAlignment: Text.AlignVCenter
        visible: control.visibleLabel
        color: labelArea.containsMouse && control.doHighlight && control.editable
               ? control.textColorHover : control.textColorDefault

        MouseArea {
            id: labelArea
            objectName: "markerLabelArea"
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: control.editable ? Qt.PointingHandCursor : Qt.ArrowCursor
            drag.target: control.editable ? control : null
            drag.axis: Drag.XAxis

            onClicked: if (control.editable) control.clicked()
            onDoubleClicked: control.doubleClicked()
            onReleased: {
                if (drag.active && control.editable)
                    control.dragged(control.x / control.viewScale, (control.x + control.width) / control.viewScale);
            }
        }
    }

    Rectangle {
        objectName: "labelSelectionFrame"
        anchors.fill: label
        color: "transparent"
        border.width: 1
        border.color: labelArea.containsMouse && control.editable && !control.selected ? "gray" : "white"
        radius: 3
        antialiasing: true
        opacity: 0.7
        visible: (control.selected && control.visibleLabel) || (labelArea.containsMouse && control.editable)
    }

    Rectangle {
        id: diamond
        objectName: "markerDiamond"
        x: -4
        y: label.height / 2 + 2
        width: control.diamondSize
        height: control.diamondSize
        rotation: 45
        visible: !control.visibleLabel
        border.color: "#515151"
        color: diamondArea.containsMouse && control.doHighlight && control.editable
               ? control.backgroundColorHover : control.backgroundColorDefault

        MouseArea {
            id: diamondArea
            objectName: "markerDiamondArea"
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: control.editable ? Qt.PointingHandCursor : Qt.ArrowCursor
            drag.target: control.editable ? control : null
            drag.axis: Drag.XAxis

            onClicked: if (control.editable) control.clicked()
            onReleased: {
                if (drag.active && control.editable)
                    control.dragged(control.x / control.viewScale, (control.x + control.width) / control.viewScale);
            }
        }

        Rectangle {
            objectName: "diamondSelectionFrame"
            anchors.fill: parent
            color: "transparent"
            border.width: 1
            border.color: "white"
            radius: 1
            antialiasing: true
            opacity: 0.7
            visible: control.selected
        }
    }

    VandToolTip {
        id: toolTip
        objectName: "markerToolTip"
        host: control
        text: control.labelText
        visible: diamondArea.containsMouse
        y: control.y - 1.1 * height
    }
}
