import QtQuick
import QtQuick.Layouts

// A label and value pair of the status banner, on an optional tinted
// background that shows only while there is text.
Item {
    id: root

    property int spaceAroundText: 0
    property color labelColor: "#959595"
    property color backgroundColor: "transparent"
    property color valueColor: "white"
    property int labelFontSize: 12
    property real barBackgroundOpacity: 1.0
    property alias labelText: label.text
    property alias valueText: value.text

    implicitHeight: row.implicitHeight + 2 * spaceAroundText
    implicitWidth: row.implicitWidth + 4 * spaceAroundText

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        radius: 3
        opacity: root.barBackgroundOpacity
        color: root.labelText !== "" || root.valueText !== "" ? root.backgroundColor : "transparent"
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.topMargin: root.spaceAroundText
        anchors.bottomMargin: root.spaceAroundText
        anchors.leftMargin: 2 * root.spaceAroundText
        anchors.rightMargin: 2 * root.spaceAroundText

        Text {
            id: label
            objectName: "label"
            color: root.labelColor
            font.pixelSize: root.labelFontSize
        }
        Text {
            id: value
            objectName: "value"
            visible: text !== ""
            color: root.valueColor
            font.pixelSize: root.labelFontSize
        }
    }
}
