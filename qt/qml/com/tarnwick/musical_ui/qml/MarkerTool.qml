import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a marker: a bar, a beat and the marker's text.
ToolDialog {
    id: root

    property alias strValue: markerInput.text

    signal createMarkerRequest(string bar, int beat, string text)
    signal changeMarkerRequest(string bar, int beat, string text)
    signal markerToolClosing()

    title: isEdit ? qsTr("Edit Marker") : qsTr("Create Marker")
    panel.hasDuration: false
    idLabel.visible: false
    initialFocus: markerInput

    onAccepted: {
        if (isEdit)
            changeMarkerRequest(panel.inBar, beatNumber(panel.inBeat), markerInput.text);
        else
            createMarkerRequest(panel.inBar, beatNumber(panel.inBeat), markerInput.text);
    }
    onWindowClosing: markerToolClosing()

    Text {
        text: qsTr("Marker")
        color: root.theme.default_text_color
        font: root.theme.default_font
        Layout.alignment: Qt.AlignHCenter
    }

    RecessedTextInput {
        id: markerInput
        objectName: "markerInput"
        width: root.panel.comboBoxWidth
        horizontalAlignment: TextInput.AlignLeft
        Layout.fillWidth: true
    }
}
