import QtQuick

// A ranged edit event on the timeline: a coloured region with a resize handle
// at each end. Positions in base pixels; drags report base pixels.
Rectangle {
    id: control
    objectName: "timeRegion"

    property double viewScale: 1.0
    property color baseColor: "#6e3493"
    property double basePosition: 0
    property double baseWidth: 150
    property bool editable: false
    property bool selected: false
    // The region's x, carried across handle drags.
    property double xPos: 0

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end, bool adjustLeft, bool adjustRight)
    signal basePositionSet(int pos)
    signal viewScaleSet(double scale)

    x: basePosition * viewScale
    width: baseWidth * viewScale
    height: parent ? parent.height : 50
    z: x
    color: baseColor
    opacity: 0.7
    border.width: 1
    border.color: Qt.lighter(color, 1.1)
    radius: 3

    onBasePositionSet: (pos) => {
        control.basePosition = pos;
        rightHandle.x = control.width - 3;
        control.xPos = control.x;
    }
    onViewScaleSet: (scale) => {
        control.viewScale = scale;
        rightHandle.x = control.width - 3;
        control.xPos = control.x;
    }

    MouseArea {
        id: body
        objectName: "regionBody"
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control.editable ? control : null
        drag.axis: Drag.XAxis

        onEntered: control.color = Qt.lighter(control.baseColor, 1.3)
        onExited: control.color = control.baseColor
        onClicked: control.clicked()
        onDoubleClicked: control.doubleClicked()
        onPositionChanged: {
            if (leftArea.drag.active || rightArea.drag.active)
                return;
            rightHandle.x = control.width - 3;
            control.xPos = control.x;
        }
        onReleased: {
            if (drag.active)
                control.dragged(control.x / control.viewScale, (control.x + control.width) / control.viewScale,
                                false, false);
        }
    }

    Rectangle {
        id: leftHandle
        objectName: "leftHandle"
        x: 0
        width: 3
        height: parent.height
        radius: 3
        color: control.border.color
        opacity: control.opacity

        MouseArea {
            id: leftArea
            objectName: "leftHandleArea"
            anchors.fill: parent
            hoverEnabled: control.editable
            cursorShape: control.editable ? Qt.SplitHCursor : Qt.ArrowCursor
            drag.target: control.editable ? leftHandle : null
            drag.axis: Drag.XAxis

            onPositionChanged: {
                if (!drag.active)
                    return;
                leftHandle.x = Math.min(leftHandle.x, rightHandle.x - 3);
                rightHandle.x = rightHandle.x - leftHandle.x;
                control.baseWidth = (rightHandle.x + 3) / control.viewScale;
                control.xPos = control.xPos + leftHandle.x;
                control.x = control.xPos;
            }
            onReleased: {
                if (!drag.active)
                    return;
                const end = (control.x + control.width) / control.viewScale;
                const start = Math.min(control.x / control.viewScale, end - 3);
                control.dragged(start, end, true, false);
            }
        }
    }

    Rectangle {
        id: rightHandle
        objectName: "rightHandle"
        width: 3
        height: parent.height
        radius: 3
        color: control.border.color
        opacity: control.opacity

        MouseArea {
            id: rightArea
            objectName: "rightHandleArea"
            anchors.fill: parent
            hoverEnabled: control.editable
            cursorShape: control.editable ? Qt.SplitHCursor : Qt.ArrowCursor
            drag.target: control.editable ? rightHandle : null
            drag.axis: Drag.XAxis

            onPositionChanged: {
                if (!drag.active)
                    return;
                rightHandle.x = Math.max(rightHandle.x, leftHandle.x + 3);
                control.baseWidth = (rightHandle.x + 3) / control.viewScale;
                control.x = control.xPos;
            }
            onReleased: {
                if (drag.active)
                    control.dragged(control.x / control.viewScale,
                                    Math.max(control.x + control.width, control.x + 3) / control.viewScale,
                                    false, true);
            }
        }
    }

    Rectangle {
        objectName: "selectionFrame"
        anchors.fill: parent
        color: "transparent"
        border.width: 1
        border.color: "white"
        radius: 3
        antialiasing: true
        opacity: 0.7
        visible: control.selected
    }
}
