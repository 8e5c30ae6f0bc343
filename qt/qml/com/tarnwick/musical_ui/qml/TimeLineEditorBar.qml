import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The edit toolbar above the edit panel's lists: ten buttons that open the
// edit tools and six that act on the change log. Each button raises its
// signal; the controller sets the enabled states of the change-log buttons.
Item {
    id: root

    property bool enableOsc: true
    property alias editButtonControl: edit_edit
    property alias deleteButtonControl: edit_delete
    property alias undoButtonControl: undo
    property alias redoButtonControl: redo
    property alias saveControl: edit_save
    property alias shareControl: edit_share

    signal caesuraButton()
    signal clickButton()
    signal cutButton()
    signal skipButton()
    signal markerButton()
    signal repeatButton()
    signal tempoScaleButton()
    signal transposeButton()
    signal vampButton()
    signal oscButton()
    signal editButton()
    signal deleteButton()
    signal undoButton()
    signal redoButton()
    signal saveButton()
    signal shareButton()

    height: 56

    VandTheme { id: theme }

    RowLayout {
        anchors.fill: parent
        spacing: 9

        Text {
            objectName: "controlsLabel"
            text: "Controls"
            color: theme.light_text_color
            font.pixelSize: 12
            font.bold: true
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignVCenter
            Layout.preferredWidth: 80
            Layout.alignment: Qt.AlignVCenter
        }

        GraphicButton {
            id: edit_caesura
            objectName: "edit_caesura"
            text: "Caesura"
            imageSource: "qrc:/images/edit_caesura.svg"
            toolTip.text: "Add a pause in timeline"
            onClicked: root.caesuraButton()
        }
        GraphicButton {
            id: edit_click
            objectName: "edit_click"
            text: "Click"
            imageSource: "qrc:/images/edit_click.svg"
            toolTip.text: "Change the click resolution of the metronome"
            onClicked: root.clickButton()
        }
        GraphicButton {
            id: edit_cut
            objectName: "edit_cut"
            text: "Cut"
            imageSource: "qrc:/images/cut.svg"
            toolTip.text: "Remove section"
            onClicked: root.cutButton()
        }
        GraphicButton {
            id: edit_marker
            objectName: "edit_marker"
            text: "Marker"
            imageSource: "qrc:/images/edit_marker.svg"
            toolTip.text: "Add reference note"
            onClicked: root.markerButton()
        }
        GraphicButton {
            id: edit_repeat
            objectName: "edit_repeat"
            text: "Repeat"
            imageSource: "qrc:/images/edit_repeat.svg"
            toolTip.text: "Repeat section"
            onClicked: root.repeatButton()
        }
        GraphicButton {
            id: edit_skip
            objectName: "edit_skip"
            text: "Skip"
            imageSource: "qrc:/images/edit_skip.svg"
            toolTip.text: "Jump to end of section"
            onClicked: root.skipButton()
        }
        GraphicButton {
            id: edit_tempo
            objectName: "edit_tempo"
            text: "Tempo"
            imageSource: "qrc:/images/edit_tempo.svg"
            toolTip.text: "Scale the tempo by percentage"
            onClicked: root.tempoScaleButton()
        }
        GraphicButton {
            id: edit_transpose
            objectName: "edit_transpose"
            text: "Transpose"
            imageSource: "qrc:/images/edit_transpose.png"
            toolTip.text: "Change the key by half steps"
            onClicked: root.transposeButton()
        }
        GraphicButton {
            id: edit_vamp
            objectName: "edit_vamp"
            text: "Vamp"
            imageSource: "qrc:/images/edit_vamp.svg"
            toolTip.text: "Repeat section indefinitely"
            onClicked: root.vampButton()
        }
        GraphicButton {
            id: edit_osc
            objectName: "edit_osc"
            text: "OSC"
            imageSource: "qrc:/images/lan.svg"
            enabled: root.enableOsc
            toolTip.text: root.enableOsc ? "Create an OSC command" : "Unavailable in Dravel"
            onClicked: root.oscButton()
        }

        Item {
            objectName: "filler"
            Layout.fillWidth: true
        }

        GraphicButton {
            id: edit_edit
            objectName: "edit_edit"
            text: "Edit"
            imageSource: "qrc:/images/edit_edit.svg"
            enabled: false
            toolTip.text: "Edit the selected event"
            onClicked: root.editButton()
        }
        GraphicButton {
            id: edit_delete
            objectName: "edit_delete"
            text: "Delete"
            imageSource: "qrc:/images/edit_delete.svg"
            enabled: false
            toolTip.text: "Delete the selected event"
            onClicked: root.deleteButton()
        }
        Column {
            objectName: "undoRedoColumn"
            spacing: 4
            Layout.alignment: Qt.AlignVCenter

            GraphicButton {
                id: undo
                objectName: "undo"
                text: "Undo"
                showImage: false
                width: 42
                enabled: false
                toolTip.text: "Undo the last change"
                onClicked: root.undoButton()
            }
            GraphicButton {
                id: redo
                objectName: "redo"
                text: "Redo"
                showImage: false
                width: 42
                enabled: false
                toolTip.text: "Redo the last change"
                onClicked: root.redoButton()
            }
        }
        GraphicButton {
            id: edit_save
            objectName: "edit_save"
            text: "Save"
            imageSource: "qrc:/images/save.svg"
            enabled: false
            toolTip.text: "Save changes to local device (not shared)"
            onClicked: root.saveButton()
        }
        GraphicButton {
            id: edit_share
            objectName: "edit_share"
            text: "Share"
            imageSource: "qrc:/images/share.svg"
            enabled: false
            toolTip.text: "Save and send changes to cast"
            onClicked: root.shareButton()
        }
    }
}
