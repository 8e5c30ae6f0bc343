import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import com.tarnwick.vand_ui
import "LocalPath.js" as LocalPath

// A label over a one-line field with "Choose", which picks a folder. The
// field holds the folder's local path. The user's edits and a chosen folder
// also raise `textChanged()`.
Item {
    id: root

    property alias text: label.text
    property alias value: input.text
    property alias theme: theme
    property alias field: input.field
    property alias button: chooseButton
    property int spacing: 10
    property int fontSize: 16

    // Takes the folder a dialog chose (its URL).
    function chooseFolder(folderUrl) {
        if (String(folderUrl) === "")
            return;
        value = LocalPath.toLocalPath(folderUrl);
        textChanged();
    }

    implicitHeight: label.implicitHeight + spacing + input.implicitHeight
    implicitWidth: label.implicitWidth + input.implicitWidth

    VandTheme { id: theme }

    Label {
        id: label
        objectName: "label"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        text: "Label"
        font.pixelSize: root.fontSize
        color: theme.default_text_color
    }

    RecessedTextInput {
        id: input
        objectName: "input"
        anchors.top: label.bottom
        anchors.topMargin: root.spacing
        anchors.left: parent.left
        anchors.right: chooseButton.left
        anchors.rightMargin: root.spacing
        onTextEdited: root.textChanged()
    }

    FlatButton {
        id: chooseButton
        objectName: "chooseButton"
        text: qsTr("Choose")
        width: 80
        anchors.right: parent.right
        anchors.top: input.top
        anchors.bottom: input.bottom
        onClicked: folderDialog.open()
        Keys.onReturnPressed: folderDialog.open()
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        modality: Qt.WindowModal
        onAccepted: root.chooseFolder(selectedFolder)
    }
}
