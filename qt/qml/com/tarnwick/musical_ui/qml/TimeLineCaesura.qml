import QtQuick

// A caesura on the timeline.
Item {
    id: control
    objectName: "timeLineCaesura"

    property double viewScale: 1.0
    property int basePosition: 0
    property bool editable: false
    property bool selected: false

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    width: 11
    height: 16
    x: viewScale * basePosition
    z: x

    // Gives the picture's natural size.
    Image {
        id: naturalSize
        source: "qrc:/images/caesura.svg"
        width: 0
        height: 0
        visible: false
    }

    Image {
        objectName: "caesuraImage"
        asynchronous: true
        x: 1
        y: 3
        width: 10
        height: 10
        source: "qrc:/images/caesura.svg"
        sourceSize: naturalSize.sourceSize
        fillMode: Image.PreserveAspectFit
        smooth: true
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

    MouseArea {
        objectName: "caesuraArea"
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control.editable ? control : null
        drag.axis: Drag.XAxis

        onClicked: control.clicked()
        onDoubleClicked: control.doubleClicked()
        onReleased: {
            if (!drag.active)
                return;
            console.log("caesura control.x =", control.x);
            control.dragged(control.x / control.viewScale, (control.x + control.width) / control.viewScale);
        }
    }
}
