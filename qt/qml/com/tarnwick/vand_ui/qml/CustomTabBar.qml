import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// Bevelled header of panel tabs. The bottom line stays open under the
// selected tab, so that it joins the pane below.
Item {
    id: root

    default property alias contents: bar.contentData
    property alias currentIndex: bar.currentIndex

    VandTheme { id: theme }

    implicitHeight: Math.floor(row.implicitHeight)

    RowLayout {
        id: row
        anchors.fill: parent
        spacing: 0

        TabBar {
            id: bar
            objectName: "tabBar"
            spacing: 0
            Layout.fillHeight: true
            font: theme.default_font
            background: Rectangle {
                color: theme.default_bg_unselected_color
            }
        }

        Rectangle {
            objectName: "filler"
            Layout.fillWidth: true
            Layout.preferredHeight: bar.height
            color: Qt.darker(theme.default_bg_unselected_color, 1.0)

            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: fillerLight.top
                height: theme.bevel_width
                color: theme.bevel_dark_color
            }
            Rectangle {
                id: fillerLight
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: theme.bevel_width
                color: theme.bevel_light_color
            }
        }
    }

    Rectangle {
        objectName: "lineBeforeSelected"
        z: 100
        x: 0
        y: root.height - 1
        height: 1
        width: bar.currentItem ? bar.x + bar.currentItem.x : 0
        color: theme.bevel_light_color
    }

    Rectangle {
        objectName: "lineAfterSelected"
        z: 100
        x: bar.currentItem ? bar.x + bar.currentItem.x + bar.currentItem.width : 0
        y: root.height - 1
        height: 1
        width: bar.currentItem ? bar.contentWidth - bar.currentItem.x - bar.currentItem.width + 1 : 0
        color: theme.bevel_light_color
    }
}
