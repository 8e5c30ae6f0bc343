import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a caesura: a bar, a beat and a microshift after it.
ToolDialog {
    id: root

    property bool pauseEnabled: false

    signal changeCaesuraRequest(var bar, var beat, real inShift)
    signal createCaesuraRequest(var bar, var beat, real inShift)
    signal caesuraToolClosing()

    title: isEdit ? qsTr("Edit Caesura") : qsTr("Create Caesura")
    widthFactor: 4.5
    panel.hasDuration: false
    panel.hasMicroshift: true

    onAccepted: {
        if (isEdit)
            changeCaesuraRequest(panel.inBar, panel.inBeat, panel.inShift);
        else
            createCaesuraRequest(panel.inBar, panel.inBeat, panel.inShift);
    }
    onWindowClosing: caesuraToolClosing()

    ColumnLayout {
        objectName: "pauseEntry"
        visible: root.pauseEnabled

        Label {
            text: qsTr("Pause")
            font: root.theme.default_font
            color: root.theme.default_text_color
        }
        TextField {
            objectName: "pauseField"
            placeholderText: qsTr("in seconds")
            color: root.theme.light_text_color
            Layout.preferredWidth: root.panel.comboBoxWidth
            background: Rectangle {
                color: root.theme.default_bg_color
                border.width: 1
                border.color: root.theme.light_border_color
            }
        }
    }
}
