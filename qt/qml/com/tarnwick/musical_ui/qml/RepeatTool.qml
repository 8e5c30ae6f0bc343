import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// Creates or changes a repeat: a range and the number of times it plays.
CountToolDialog {
    id: root

    signal createRepeatRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal changeRepeatRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal repeatToolClosing()

    title: isEdit ? qsTr("Edit Repeat") : qsTr("Create Repeat")
    countLabel: qsTr("Repeat Count")
    idLabel.visible: false
    spinBox.objectName: "repeatCountInput"
    spinBox.from: 1
    spinBox.to: 500
    spinBox.defaultValue: 2
    spinBoxWidth: 125
    spinBox.inputWidth: 45

    onCountRequested: (startBar, startBeat, endBar, endBeat, count) => {
        if (isEdit)
            changeRepeatRequest(startBar, startBeat, endBar, endBeat, count);
        else
            createRepeatRequest(startBar, startBeat, endBar, endBeat, count);
    }
    onWindowClosing: repeatToolClosing()
}
