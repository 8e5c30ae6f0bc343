import QtQuick
import QtQuick.Window
import com.tarnwick.vand_ui

// "Downloading Show": the status, the overall progress with its label, and
// Cancel; a failure opens the error dialog. Byte counts arrive as double, so
// shows beyond 2 GiB count right.
Window {
    id: root

    property string downloadStatus: "Starting up..."

    signal cancel()
    signal downloadError(string msg)
    signal progressChanged(double bytesReceived, double total)
    signal totalProgressChanged(double bytesReceived, double total)
    signal statusChanged(string status)
    signal downloadErrorAcknowledged()

    VandTheme { id: theme }

    title: "Downloading Show"
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    visible: true
    width: 480
    height: column.height + 30
    color: theme.default_bg_color

    // "3/12 MB" above 1 MiB in total, "512/1024 kB" up to it.
    function progressLabel(bytesReceived, total) {
        const unit = total > 1024 * 1024 ? 1024 * 1024 : 1024;
        return Math.floor(bytesReceived / unit) + "/" + Math.max(Math.floor(total / unit), 1)
                + (unit === 1024 ? " kB" : " MB");
    }

    onStatusChanged: (status) => root.downloadStatus = status
    onDownloadError: (msg) => {
        errorDialog.text = msg;
        errorDialog.visible = true;
    }
    onTotalProgressChanged: (bytesReceived, total) => {
        progressBar.value = total > 0 ? bytesReceived / total : 0;
        progressLabelText.text = progressLabel(bytesReceived, total);
    }

    Column {
        id: column
        objectName: "column"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 15

        Rectangle {
            objectName: "panel"
            width: parent.width
            height: innerColumn.height + 30
            color: Qt.lighter(theme.default_bg_color, 1.6)

            Column {
                id: innerColumn
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 15
                spacing: 10

                Row {
                    width: parent.width

                    Text {
                        id: statusLabel
                        text: "Status: "
                        color: theme.default_text_header_color
                        font: theme.default_font
                    }
                    Text {
                        objectName: "statusText"
                        width: parent.width - statusLabel.width
                        text: root.downloadStatus
                        color: theme.default_text_header_color
                        font: theme.default_font
                        elide: Text.ElideRight
                    }
                }

                Row {
                    spacing: 10

                    FlatProgressBar {
                        id: progressBar
                        objectName: "progressBar"
                        value: 0
                        width: 300
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        id: progressLabelText
                        objectName: "progressLabel"
                        text: ""
                        color: theme.default_text_color
                        font: theme.default_font
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: cancelButton.height + 15

            FlatButton {
                id: cancelButton
                objectName: "cancelButton"
                text: "Cancel"
                anchors.bottom: parent.bottom
                anchors.horizontalCenter: parent.horizontalCenter
                onClicked: root.cancel()
            }
        }
    }

    FlatDialogWindow {
        id: errorDialog
        objectName: "errorDialog"
        title: "Error"
        type: "ERROR"
        onAccepted: root.downloadErrorAcknowledged()
    }
}
