import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes an OSC command: a bar, a beat and a microshift after
// it, the network destination (`networkModel`, the show's destinations) and
// the command text.
ToolDialog {
    id: root

    property alias strValue: commandInput.text
    property alias networkModel: networkInput.model
    property alias networkCurrentIndex: networkInput.currentIndex

    signal createRequest(string bar, int beat, string text, string networkId, real inShift)
    signal changeRequest(string bar, int beat, string text, string networkId, real inShift)
    signal toolClosing()

    // The chosen destination's id; empty when none is chosen.
    function networkId() {
        return networkInput.currentIndex >= 0 && networkInput.currentValue !== undefined
                ? String(networkInput.currentValue) : "";
    }

    title: isEdit ? qsTr("Edit OSC Command") : qsTr("Create OSC Command")
    widthFactor: 4.5
    panel.hasDuration: false
    panel.hasMicroshift: true
    idLabel.visible: false
    initialFocus: commandInput

    onAccepted: {
        if (isEdit)
            changeRequest(panel.inBar, beatNumber(panel.inBeat), commandInput.text, networkId(), panel.inShift);
        else
            createRequest(panel.inBar, beatNumber(panel.inBeat), commandInput.text, networkId(), panel.inShift);
    }
    onWindowClosing: toolClosing()

    Text {
        text: qsTr("Network")
        font: root.theme.default_font
        color: root.theme.default_text_color
        Layout.alignment: Qt.AlignHCenter
    }

    CustomComboBox {
        id: networkInput
        objectName: "networkInput"
        textRole: "name"
        valueRole: "networkId"
        enabled: true
        Layout.preferredWidth: 200
        Layout.alignment: Qt.AlignHCenter
        onEnterPressed: root.buttons.okayClicked()
    }

    Text {
        text: qsTr("OSC Command")
        font: root.theme.default_font
        color: root.theme.default_text_color
        Layout.alignment: Qt.AlignHCenter
    }

    RecessedTextInput {
        id: commandInput
        objectName: "commandInput"
        Layout.fillWidth: true
    }

    Text {
        text: qsTr("Example Commands")
        font: root.theme.default_font
        color: root.theme.default_text_color
    }

    TextEdit {
        objectName: "exampleCommands"
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.WrapAnywhere
        color: root.theme.dim_text_color
        font.family: "Courier New"
        font.pixelSize: root.theme.default_font.pixelSize - 2
        text: "/vand/volume (-#db)\n/vand/fadeout (#time)\n/vand/fadeto (-#db) (#time)\n"
        Layout.fillWidth: true
    }
}
