import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// A range dialog built as the edit-event tools build theirs: the frame, the
// bar and beat panel with "Select All", a count field, the buttons and the id.
// The gallery fills the pickers as a tool controller does.
EditTool {
    id: dialog
    width: panel.comboBoxWidth * 2.5
    height: column.implicitHeight + 50
    title: isEdit ? "Edit Repeat" : "Create Repeat"
    eventId: "A-20250114-0003"
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
            showSelectAll: true
            Layout.fillWidth: true
        }
        Text {
            text: "Repeat Count"
            font: theme.default_font
            color: theme.default_text_color
        }
        RecessedSpinBox {
            from: 1
            to: 500
            defaultValue: 2
            inputWidth: 45
            textIndent: 0
        }
        StandardEditButtons {
            Layout.fillWidth: true
        }
        EventIdLabel {
            value: dialog.eventId
            Layout.fillWidth: true
        }
    }
}
