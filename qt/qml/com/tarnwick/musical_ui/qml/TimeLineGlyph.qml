import QtQuick

// An OSC command (or sound effect) on the timeline: an icon centred on its
// position. Drags report the centre as start and end.
Item {
    id: control
    objectName: "timeLineGlyph"

    property double viewScale: 1
    property int basePosition: 0
    property bool editable: false
    property bool selected: false
    property alias glyphPath: image.source
    property bool enableOsc: true

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    width: 20
    height: 20
    x: viewScale * basePosition - 10
    z: 5000

    Image {
        id: image
        objectName: "glyphImage"
        asynchronous: true
        anchors.fill: parent
        source: "qrc:/images/sfx.svg"
        fillMode: Image.PreserveAspectFit
        smooth: true
        opacity: control.enableOsc ? 1 : 0.3
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
        objectName: "glyphArea"
        anchors.fill: parent
        enabled: control.editable
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control
        drag.axis: Drag.XAxis

        onClicked: control.clicked()
        onDoubleClicked: if (control.enableOsc) control.doubleClicked()
        onReleased: {
            if (!drag.active)
                return;
            const centre = (control.x + control.width / 2) / control.viewScale;
            control.dragged(centre, centre);
        }
    }
}
