import QtQuick
import com.tarnwick.vand_ui

// Creates or changes a skip: the range from the in bar and beat to the out
// bar and beat that playback may leave early.
ToolDialog {
    id: root

    signal createSkipRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal changeSkipRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal skipToolClosing()

    title: isEdit ? qsTr("Edit Skip") : qsTr("Create Skip")

    onAccepted: {
        if (isEdit)
            changeSkipRequest(panel.inBar, panel.inBeat, panel.outBar, panel.outBeat);
        else
            createSkipRequest(panel.inBar, panel.inBeat, panel.outBar, panel.outBeat);
    }
    onWindowClosing: skipToolClosing()
}
