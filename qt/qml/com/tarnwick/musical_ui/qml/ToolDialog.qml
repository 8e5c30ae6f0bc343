import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// What the edit-event dialogs share: the frame, one column with the bar and
// beat panel, the dialog's own items (its children go between the panel and
// the buttons), OK and Cancel, and the event id. OK emits `accepted()`, on
// which the dialog sends its request, and closes the window; Cancel closes
// it. Return means OK and Escape Cancel wherever the focus is in the column.
// Each dialog relays `windowClosing()` as its own closing signal.
EditTool {
    id: root

    property alias panel: barAndBeatPanel
    property alias buttons: buttonRow
    property alias idLabel: idLabel
    property alias mainColumn: mainColumn
    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    // The microshift of the point dialogs: the slider's value, range and state.
    property alias inShift: barAndBeatPanel.inShift
    property alias inShiftMax: barAndBeatPanel.inMaxMicroshift
    property alias inShiftEnabled: barAndBeatPanel.inShiftEnabled
    property int inShiftMin: 0
    // The window's width in picker widths.
    property real widthFactor: 2.5
    // Takes the keyboard focus whenever the dialog is shown.
    property Item initialFocus: mainColumn
    default property alias content: extraColumn.data

    signal accepted()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * widthFactor;
    }

    // A beat picker's text as the beat number (0 when it shows none).
    function beatNumber(text) {
        const beat = parseInt(text, 10);
        return isNaN(beat) ? 0 : beat;
    }

    function accept() {
        root.accepted();
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal

    onVisibleChanged: if (visible && initialFocus) initialFocus.forceActiveFocus()

    ColumnLayout {
        id: mainColumn
        objectName: "mainColumn"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15
        focus: true

        Keys.onEscapePressed: buttonRow.cancelClicked()
        Keys.onReturnPressed: buttonRow.okayClicked()

        BarAndBeatPanel {
            id: barAndBeatPanel
            objectName: "barAndBeatPanel"
            inMinMicroshift: root.inShiftMin
            Layout.fillWidth: true
            onPressEnter: buttonRow.okayClicked()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        ColumnLayout {
            id: extraColumn
            objectName: "extraColumn"
            spacing: 15
            visible: visibleChildren.length > 0
            // A nested layout grows no wider than its widest item unless told.
            Layout.fillWidth: true
            Layout.maximumWidth: mainColumn.width
        }

        StandardEditButtons {
            id: buttonRow
            objectName: "buttonRow"
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            onOkayClicked: root.accept()
            onCancelClicked: root.close()
        }

        EventIdLabel {
            id: idLabel
            objectName: "eventIdLabel"
            value: root.eventId
            Layout.fillWidth: true
        }
    }
}
