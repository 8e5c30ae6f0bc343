pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui

// A label over a framed, scrolling list of text lines (`value`, a list of
// strings).
Item {
    id: root

    property alias text: label.text
    property alias value: list.model
    property alias model: list.model
    property alias theme: theme
    property int spacing: 5
    property int fontSize: 16

    implicitHeight: label.implicitHeight + list.implicitHeight
    implicitWidth: label.implicitWidth + list.implicitWidth

    VandTheme { id: theme }

    Label {
        id: label
        objectName: "label"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        text: ""
        font.pixelSize: root.fontSize
        color: theme.default_text_color
    }

    Rectangle {
        objectName: "box"
        anchors.top: label.bottom
        anchors.topMargin: root.spacing
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        color: theme.light_background_color
        border.width: 2
        border.color: theme.light_border_color
        radius: 2

        ListView {
            id: list
            objectName: "list"
            anchors.fill: parent
            anchors.margins: 2
            clip: true
            boundsBehavior: Flickable.StopAtBounds

            ScrollBar.vertical: CustomScrollBar {
                objectName: "scrollBar"
                visible: list.contentHeight > list.height
            }

            delegate: Text {
                required property var modelData
                width: ListView.view ? ListView.view.width : implicitWidth
                text: String(modelData)
                font.pixelSize: 14
                color: theme.default_text_color
                padding: 5
            }
        }
    }
}
