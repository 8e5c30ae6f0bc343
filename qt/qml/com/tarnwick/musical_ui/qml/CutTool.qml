import QtQuick
import com.tarnwick.vand_ui

// Creates or changes a cut: the range from the in bar and beat to the out
// bar and beat that playback jumps over.
ToolDialog {
    id: root

    signal createCutRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal changeCutRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal cutToolClosing()

    title: isEdit ? qsTr("Edit Cut") : qsTr("Create Cut")
    idLabel.visible: false

    onAccepted: {
        if (isEdit)
            changeCutRequest(panel.inBar, panel.inBeat, panel.outBar, panel.outBeat);
        else
            createCutRequest(panel.inBar, panel.inBeat, panel.outBar, panel.outBeat);
    }
    onWindowClosing: cutToolClosing()
}
