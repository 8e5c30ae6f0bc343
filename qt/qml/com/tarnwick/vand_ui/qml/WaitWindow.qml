import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window

// Modal wait for work that runs elsewhere: what is being waited for, a busy
// indicator and Cancel. The other windows take no input meanwhile; Escape
// acts as Cancel, and the title bar offers no close button.
Window {
    id: root

    property alias text: message.text

    signal cancel()

    VandTheme { id: theme }

    title: "Please Wait"
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    color: theme.default_bg_color_popup

    maximumWidth: 360
    minimumWidth: maximumWidth
    width: maximumWidth
    maximumHeight: column.height + 32
    minimumHeight: maximumHeight
    height: maximumHeight

    Item {
        id: content
        objectName: "content"
        x: 16
        y: 16
        width: root.width - 32
        height: root.height - 32
        focus: true

        Keys.onEscapePressed: cancelButton.clicked()

        Column {
            id: column
            width: content.width
            spacing: 16

            Row {
                spacing: 16
                width: parent.width

                BusyIndicator {
                    id: busy
                    objectName: "busyIndicator"
                    width: 40
                    height: 40
                    palette.dark: theme.light_text_color
                    running: root.visible
                }

                Text {
                    id: message
                    objectName: "message"
                    width: parent.width - busy.width - parent.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    font: theme.default_font
                    color: theme.default_text_color
                    wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                }
            }

            FlatButton {
                id: cancelButton
                objectName: "cancelButton"
                anchors.horizontalCenter: parent.horizontalCenter
                width: 80
                text: "Cancel"
                onClicked: root.cancel()
            }
        }
    }
}
