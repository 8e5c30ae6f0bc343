import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a tempo scaling: a range and the tempo in percent of
// the written one.
CountToolDialog {
    id: root

    signal createTempoRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal changeTempoRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal tempoToolClosing()

    title: isEdit ? qsTr("Edit Tempo Scale") : qsTr("Scale Tempo")
    countLabel: qsTr("Percent Change")
    panel.showSelectAll: true
    idLabel.visible: false
    spinBox.objectName: "tempoScaleInput"
    spinBox.from: 50
    spinBox.to: 200
    spinBox.defaultValue: 100
    spinBoxWidth: 100
    spinBox.inputWidth: 45

    onCountRequested: (startBar, startBeat, endBar, endBeat, count) => {
        if (isEdit)
            changeTempoRequest(startBar, startBeat, endBar, endBeat, count);
        else
            createTempoRequest(startBar, startBeat, endBar, endBeat, count);
    }
    onWindowClosing: tempoToolClosing()
}
