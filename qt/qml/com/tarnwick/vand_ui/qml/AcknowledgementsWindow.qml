import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window

// Scrolling, read-only text of the open-source components in the product.
Window {
    id: root

    property alias acknowledgementText: textArea.text

    VandTheme { id: theme }

    width: 640
    height: 480
    color: theme.default_bg_color
    visible: true
    modality: Qt.ApplicationModal
    flags: Qt.WindowCloseButtonHint | Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 15
        spacing: 15

        Text {
            objectName: "introduction"
            Layout.fillWidth: true
            font: theme.default_font
            color: theme.light_text_color
            wrapMode: Text.WordWrap
            text: qsTr("Tarnwick uses a variety of software components in its code. We acknowledge the following software components and licenses used in our code.")
        }

        Flickable {
            id: flickable
            objectName: "flickable"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            interactive: false
            ScrollBar.vertical: CustomScrollBar {
                objectName: "scrollBar"
                policy: ScrollBar.AlwaysOn
            }

            TextArea.flickable: TextArea {
                id: textArea
                objectName: "textArea"
                font: theme.default_font
                color: theme.default_text_color
                wrapMode: TextArea.WordWrap
                readOnly: true
                selectByMouse: true
                rightPadding: 26 // clear of the scroll bar
                background: null

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.NoButton
                    cursorShape: Qt.IBeamCursor
                }
            }
        }

        FlatButton {
            objectName: "closeButton"
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Close")
            isDefault: true
            onClicked: root.close()
        }
    }
}
