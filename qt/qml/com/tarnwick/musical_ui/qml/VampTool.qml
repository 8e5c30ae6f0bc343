import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a vamp: a range and the number of times it loops; the
// infinity sign (0) loops until the player is told to leave.
CountToolDialog {
    id: root

    signal createVampRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal changeVampRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal vampToolClosing()

    title: isEdit ? qsTr("Edit Vamp") : qsTr("Create Vamp")
    countLabel: qsTr("Vamp Count")
    infiniteAtZero: true
    spinBox.objectName: "vampCountInput"
    spinBox.from: 0
    spinBox.to: 500
    spinBox.defaultValue: "\u221E"
    spinBoxWidth: 125
    spinBox.inputWidth: 45

    Component.onCompleted: disableDecrementButton()
    onCountRequested: (startBar, startBeat, endBar, endBeat, count) => {
        if (isEdit)
            changeVampRequest(startBar, startBeat, endBar, endBeat, count);
        else
            createVampRequest(startBar, startBeat, endBar, endBeat, count);
    }
    onWindowClosing: vampToolClosing()
}
