import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// Panel tab: an icon and a label on a bevelled face. The selected tab takes
// the pane colour and is open at the bottom.
TabButton {
    id: control

    property url source
    property real iconScale: 1.0
    property bool showHoverEffect: false
    property color selectedColor: "transparent"
    property color hoverColor: "dimgray"
    property bool isSelected: TabBar.tabBar !== null && TabBar.index === TabBar.tabBar.currentIndex
    property alias toolTip: toolTipItem

    VandTheme { id: theme }

    text: qsTr("Tab")
    padding: 0
    width: Math.floor(1.3 * content.implicitWidth)
    font.bold: isSelected

    TextMetrics {
        id: labelMetrics
        font: theme.default_font
        text: control.text
    }

    contentItem: Item {
        id: content
        implicitHeight: Math.floor(1.5 * label.implicitHeight)
        implicitWidth: Math.floor(icon.iconWidth + 1.2 * labelMetrics.advanceWidth)

        RowLayout {
            anchors.fill: parent
            spacing: 0

            Item { Layout.fillWidth: true }

            Item {
                id: icon

                readonly property real iconHeight: 0.8 * label.implicitHeight * control.iconScale
                readonly property real iconWidth: iconImage.implicitHeight > 0
                                                  ? iconHeight * iconImage.implicitWidth / iconImage.implicitHeight : 0

                Layout.alignment: Qt.AlignVCenter
                Layout.preferredWidth: iconWidth
                Layout.preferredHeight: iconHeight
                implicitWidth: iconWidth
                implicitHeight: iconHeight

                Image {
                    id: iconImage
                    asynchronous: true
                    anchors.fill: parent
                    source: control.source
                    sourceSize.height: Math.max(1, Math.ceil(icon.iconHeight * 2))
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    visible: false
                }
                ColorOverlay {
                    objectName: "iconOverlay"
                    anchors.fill: iconImage
                    source: iconImage
                    color: !control.enabled ? "dimgray" : (control.isSelected ? "white" : "gray")
                }
                ColorOverlay {
                    anchors.fill: iconImage
                    source: iconImage
                    color: "gray"
                    visible: !control.enabled
                }
            }

            Text {
                id: label
                objectName: "label"
                Layout.alignment: Qt.AlignVCenter
                text: control.text
                font: control.font
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: control.isSelected ? theme.tab_selected_text_color : theme.default_text_header_color
            }

            Item { Layout.fillWidth: true }
        }
    }

    background: Rectangle {
        objectName: "background"
        color: control.hovered && control.showHoverEffect
               ? theme.default_bg_hover_color
               : (control.isSelected ? theme.default_bg_color : theme.default_bg_unselected_color)

        BasicBevel {
            hide_bottom: true
        }

        Rectangle {
            objectName: "topStrip"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: 3
            visible: control.isSelected || control.hovered
            color: control.showHoverEffect && control.hovered && control.isSelected ? "white"
                 : control.isSelected ? control.selectedColor
                 : control.showHoverEffect && control.hovered ? control.hoverColor
                 : "transparent"
        }

        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: bottomLight.top
            height: 1
            color: theme.bevel_dark_color
            visible: !control.isSelected
        }
        Rectangle {
            id: bottomLight
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 1
            color: theme.bevel_light_color
            visible: !control.isSelected
        }
    }

    VandToolTip {
        id: toolTipItem
        host: control
        delay: 500
        visible: control.hovered && text !== ""
    }
}
