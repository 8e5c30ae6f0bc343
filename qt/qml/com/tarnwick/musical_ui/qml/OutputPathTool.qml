import QtQuick
import com.tarnwick.vand_ui

// Asks for an output path's name and device. Made once with the Output Paths
// window and only hidden between uses, so its fields keep their last values.
// OK emits createPathRequest, or changePathRequest in edit mode, with the
// name as typed and the chosen entry's text; the window relays both.
EditTool {
    id: root

    property alias pathName: nameInput.text
    property alias pathDevice: deviceInput.currentValue
    property alias pathDeviceIndex: deviceInput.currentIndex
    property list<string> deviceList: ["Speaker 1", "Speaker 2"]

    signal changePathRequest(string pathName, string pathDevice)
    signal createPathRequest(string pathName, string pathDevice)
    signal pathToolClosing()

    // Selects the entry with this text; no such entry keeps the selection.
    function selectDevice(pathDevice: string) {
        const entry = root.deviceList.indexOf(pathDevice);
        if (entry !== -1)
            deviceInput.currentIndex = entry;
    }

    function confirm() {
        const device = deviceInput.currentIndex >= 0 ? String(root.pathDevice) : "";
        if (root.isEdit)
            root.changePathRequest(nameInput.text, device);
        else
            root.createPathRequest(nameInput.text, device);
        root.close();
    }

    width: 250
    height: 250
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    title: root.isEdit ? qsTr("Edit Output Path") : qsTr("Create Output Path")

    onWindowClosing: root.pathToolClosing()
    onVisibleChanged: if (visible) nameInput.forceActiveFocus()
    Component.onCompleted: nameInput.forceActiveFocus()

    Text {
        id: nameLabel
        x: 10
        y: 15
        text: qsTr("Output Path Name")
        font: root.theme.default_font
        color: root.theme.default_text_color
    }

    RecessedTextInput {
        id: nameInput
        objectName: "pathNameInput"
        x: 10
        y: nameLabel.y + nameLabel.height + 15
        width: root.width - 20
    }

    Text {
        id: deviceLabel
        x: 10
        y: nameInput.y + nameInput.height + 15
        text: qsTr("Output Device")
        font: root.theme.default_font
        color: root.theme.default_text_color
    }

    CustomComboBox {
        id: deviceInput
        objectName: "pathDeviceInput"
        x: 10
        y: deviceLabel.y + deviceLabel.height + 5
        width: root.width - 20
        model: root.deviceList
    }

    StandardEditButtons {
        objectName: "editButtons"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10
        onOkayClicked: root.confirm()
        onCancelClicked: root.close()
    }
}
