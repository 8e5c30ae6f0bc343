import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The dialog for one OSC destination. OK emits createRequest (or
// changeRequest while editing) and closes, unless the receiver marked a field
// as invalid meanwhile (`invalidField`: "ipAddress" or "port"), in which case
// the window stays open with that field marked. The mode handed on is the
// `mode` property, which the opener sets.
Window {
    id: root

    property bool isEdit: false
    property alias networkName: nameField.text
    property alias ipAddress: ipField.text
    property string mode: "udp"
    property int port: 5501
    property string networkId: ""
    // "", "ipAddress" or "port"; cleared by each OK and by editing the field.
    property string invalidField: ""

    signal changeRequest(string ip, int port, string mode, string networkName, string networkId)
    signal createRequest(string ip, int port, string mode, string name)

    VandTheme { id: theme }

    title: isEdit ? qsTr("Edit Network Destination") : qsTr("Create Network Destination")
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color
    width: column.implicitWidth + 32
    height: column.implicitHeight + 32
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    onVisibleChanged: if (visible) nameField.forceActiveFocus()
    onPortChanged: portField.text = String(root.port)
    Component.onCompleted: portField.text = String(root.port)

    // The port text as a number: up to five decimal digits, else 0.
    function portValue() {
        const text = portField.text.trim();
        return /^[0-9]{1,5}$/.test(text) ? parseInt(text, 10) : 0;
    }

    function accept() {
        invalidField = "";
        if (isEdit)
            changeRequest(ipField.text, portValue(), mode, networkName, networkId);
        else
            createRequest(ipField.text, portValue(), mode, networkName);
        if (invalidField === "")
            close();
        else if (invalidField === "port")
            portField.forceActiveFocus();
        else
            ipField.forceActiveFocus();
    }

    Item {
        id: content
        objectName: "content"
        x: 16
        y: 16
        width: column.implicitWidth
        height: column.implicitHeight
        focus: true

        Keys.onReturnPressed: root.accept()
        Keys.onEscapePressed: root.close()

        ColumnLayout {
            id: column
            spacing: 16

            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Display Name")
                    font: theme.default_font
                    color: theme.default_text_color
                    Layout.fillWidth: true
                }
                RecessedTextInput {
                    id: nameField
                    objectName: "nameField"
                    text: "Network"
                    Layout.preferredWidth: 200
                }
            }

            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Destination IP Address")
                    font: theme.default_font
                    color: theme.default_text_color
                    Layout.fillWidth: true
                }
                RecessedTextInput {
                    id: ipField
                    objectName: "ipField"
                    text: "127.0.0.1"
                    Layout.preferredWidth: 125
                    backgroundColor: root.invalidField === "ipAddress" ? "#7a2e2e" : theme.light_background_color
                    onTextEdited: if (root.invalidField === "ipAddress") root.invalidField = ""
                }
            }

            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Port")
                    font: theme.default_font
                    color: theme.default_text_color
                    Layout.fillWidth: true
                }
                RecessedTextInput {
                    id: portField
                    objectName: "portField"
                    Layout.preferredWidth: 60
                    backgroundColor: root.invalidField === "port" ? "#7a2e2e" : theme.light_background_color
                    onTextEdited: if (root.invalidField === "port") root.invalidField = ""
                }
            }

            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Mode")
                    font: theme.default_font
                    color: theme.default_text_color
                    Layout.fillWidth: true
                }
                CustomComboBox {
                    id: modeBox
                    objectName: "modeBox"
                    Layout.preferredWidth: 100
                    Layout.preferredHeight: 25
                    textRole: "text"
                    valueRole: "value"
                    model: [{ text: "UDP", value: "udp" }]
                    onEnterPressed: root.accept()
                }
            }

            Text {
                objectName: "invalidHint"
                visible: root.invalidField !== ""
                text: root.invalidField === "port" ? qsTr("Enter a port from 1 to 65535.")
                                                   : qsTr("Enter an IP address such as 127.0.0.1.")
                font: theme.small_font
                color: theme.light_text_color
                Layout.alignment: Qt.AlignRight
            }

            StandardEditButtons {
                id: editButtons
                objectName: "editButtons"
                Layout.fillWidth: true
                onOkayClicked: root.accept()
                onCancelClicked: root.close()
            }
        }
    }
}
