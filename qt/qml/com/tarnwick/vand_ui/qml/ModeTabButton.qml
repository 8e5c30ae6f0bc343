import QtQuick
import QtQuick.Controls.Basic

// Text-only mode tab with a bar along the top of the selected tab.
TabButton {
    id: control

    VandTheme { id: theme }

    property color selectedColor: "white"
    property color hoverColor: "dimgray"
    property bool isSelected: TabBar.tabBar !== null && TabBar.index === TabBar.tabBar.currentIndex

    text: qsTr("Tab")
    implicitHeight: 35
    width: 1.2 * implicitWidth
    font.pixelSize: 14

    contentItem: Text {
        objectName: "label"
        text: control.text
        height: control.height
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: !control.enabled ? "dimgray" : (control.isSelected ? "white" : "gray")
        font.family: control.font.family
        font.pixelSize: control.font.pixelSize
        font.bold: control.isSelected
    }

    background: Rectangle {
        objectName: "background"
        color: control.hovered && !control.isSelected ? Qt.lighter(theme.default_bg_color, 1.3) : "transparent"

        Rectangle {
            objectName: "topStrip"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: 3
            visible: control.isSelected || control.hovered
            color: control.isSelected ? control.selectedColor : control.hoverColor
        }

        MouseArea {
            objectName: "cursorArea"
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            hoverEnabled: true
            cursorShape: control.hovered && !control.isSelected ? Qt.PointingHandCursor : Qt.ArrowCursor
        }
    }
}
