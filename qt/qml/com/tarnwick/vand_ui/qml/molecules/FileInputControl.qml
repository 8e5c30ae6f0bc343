import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import com.tarnwick.vand_ui
import "LocalPath.js" as LocalPath

// A read-only field with "Choose", which picks a file: `fileUrl` is its URL
// and the field shows its local path; a choice also raises `textChanged()`.
// The label is not shown.
Item {
    id: root

    property alias text: label.text
    property alias value: input.text
    property alias theme: theme
    property alias field: input.field
    property alias button: chooseButton
    property alias nameFilters: fileDialog.nameFilters
    property url fileUrl: Qt.resolvedUrl(".")
    property int spacing: 10
    property int fontSize: 16

    // Takes the file a dialog chose (its URL).
    function chooseFile(chosenUrl) {
        if (String(chosenUrl) === "")
            return;
        fileUrl = chosenUrl;
        value = LocalPath.toLocalPath(chosenUrl);
        textChanged();
    }

    implicitHeight: label.implicitHeight + spacing + input.implicitHeight
    implicitWidth: label.implicitWidth + input.implicitWidth

    VandTheme { id: theme }

    Label {
        id: label
        objectName: "label"
        width: 0
        height: 0
        visible: false
        text: "Label"
        font.pixelSize: root.fontSize
        color: theme.default_text_color
    }

    RecessedTextInput {
        id: input
        objectName: "input"
        anchors.top: parent.top
        anchors.topMargin: root.spacing
        anchors.left: parent.left
        anchors.right: chooseButton.left
        anchors.rightMargin: root.spacing
        editable: false
    }

    FlatButton {
        id: chooseButton
        objectName: "chooseButton"
        text: qsTr("Choose")
        width: 60
        anchors.right: parent.right
        anchors.top: input.top
        anchors.bottom: input.bottom
        onClicked: fileDialog.open()
        Keys.onReturnPressed: fileDialog.open()
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        modality: Qt.WindowModal
        onAccepted: root.chooseFile(selectedFile)
    }
}
