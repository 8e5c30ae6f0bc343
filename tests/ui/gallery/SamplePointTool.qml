import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// A point dialog with a microshift, built as the caesura tool builds its own.
EditTool {
    id: dialog
    width: panel.comboBoxWidth * 4.5
    height: column.implicitHeight + 50
    title: "Create Caesura"
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint

    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: dialog.width - 40
        spacing: 15

        BarAndBeatPanel {
            id: panel
            objectName: "barAndBeatPanel"
            hasDuration: false
            hasMicroshift: true
            inMinMicroshift: -120
            inMaxMicroshift: 480
            Layout.fillWidth: true
            Component.onCompleted: inShift = 120
        }
        StandardEditButtons {
            Layout.fillWidth: true
        }
        EventIdLabel {
            Layout.fillWidth: true
        }
    }
}
