import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a transposition: a range and the half steps it moves
// the key by.
CountToolDialog {
    id: root

    signal createTransposeRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal changeTransposeRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal transposeToolClosing()

    title: isEdit ? qsTr("Edit Transposition") : qsTr("Transpose Key")
    countLabel: qsTr("Half Steps")
    panel.showSelectAll: true
    idLabel.visible: false
    spinBox.objectName: "transposeHalfStepsInput"
    spinBox.from: -6
    spinBox.to: 6
    spinBox.defaultValue: 0
    spinBoxWidth: 125

    onCountRequested: (startBar, startBeat, endBar, endBeat, count) => {
        if (isEdit)
            changeTransposeRequest(startBar, startBeat, endBar, endBeat, count);
        else
            createTransposeRequest(startBar, startBeat, endBar, endBeat, count);
    }
    onWindowClosing: transposeToolClosing()
}
