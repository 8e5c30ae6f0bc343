pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui
import "MixerColumns.js" as MixerColumns

// One group of the mixer: group mute and solo in the title bar, the column
// headings and a MixerTrack per row of `tracksModel`. Track changes are
// written into the tracks model; the rows show what the model says.
MixerSection {
    id: control

    VandTheme { id: theme }

    property alias tracksModel: tracksRepeater.model
    property int mainMargin: 7
    property alias isMuted: groupMuteButton.checked
    property alias isSolo: groupSoloButton.checked

    signal muteClicked()
    signal soloClicked()

    titleLeftMargin: mainMargin

    preTitleContent: Row {
        objectName: "groupButtons"
        width: 45
        height: parent ? parent.height : 0
        spacing: 3

        OutlineButton {
            id: groupMuteButton
            objectName: "groupMuteButton"
            anchors.verticalCenter: parent.verticalCenter
            text: "M"
            controlColor: "#26a5de"
            checkedFillColor: "#26a5de"
            checkedFontColor: theme.default_bg_color
            toolTipText: "Mute entire group"
            onClicked: control.muteClicked()
        }

        OutlineButton {
            id: groupSoloButton
            objectName: "groupSoloButton"
            anchors.verticalCenter: parent.verticalCenter
            text: "S"
            controlColor: "#D3AF37"
            checkedFillColor: "#D3AF37"
            checkedFontColor: theme.default_bg_color
            toolTipText: "Solo entire group"
            onClicked: control.soloClicked()
        }

        Item {
            width: 5
            height: 1
        }
    }

    mainContent: Column {
        objectName: "groupBody"

        Item {
            objectName: "headings"
            width: parent.width
            height: headingRow.implicitHeight + 10

            RowLayout {
                id: headingRow
                objectName: "headingLayout"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: control.mainMargin
                anchors.rightMargin: control.mainMargin
                y: 5
                spacing: MixerColumns.spacing

                Repeater {
                    model: ["State", "Track Name", "Instrument", "Pan", "Volume"]

                    Text {
                        required property string modelData
                        required property int index
                        objectName: "heading" + index
                        Layout.preferredWidth: MixerColumns.width(index, headingRow.width)
                        Layout.fillWidth: MixerColumns.stretch[index] > 0
                        Layout.alignment: Qt.AlignVCenter
                        text: modelData
                        color: theme.default_text_header_color
                        font: theme.default_font
                        elide: Text.ElideRight
                    }
                }
            }
        }

        Item {
            objectName: "tracks"
            width: parent.width
            height: trackColumn.height + control.mainMargin

            Column {
                id: trackColumn
                objectName: "trackColumn"
                x: control.mainMargin
                width: parent.width - 2 * control.mainMargin

                Repeater {
                    id: tracksRepeater
                    objectName: "tracksRepeater"

                    MixerTrack {
                        id: track

                        required property var model

                        width: trackColumn.width
                        name: model.name
                        isMuted: model.isMuted
                        isSolo: model.isSolo
                        volumeScaledDb: model.volumeScaledDb
                        pan: model.pan
                        instrumentModel: model.instrumentModel
                        enableMute: true
                        enableSolo: true
                        muteToolTip: "Mute Track"
                        soloToolTip: "Solo Track"

                        function selectInstrument() {
                            currentInstrumentIndex = instrumentControl.indexOfValue(model.instrument);
                        }

                        Component.onCompleted: selectInstrument()
                        onInstrumentModelChanged: selectInstrument()
                        onMuteClicked: model.isMuted = !model.isMuted
                        onSoloClicked: model.isSolo = !model.isSolo
                        onPanSet: (value) => model.pan = value
                        onVolumeSet: (value) => model.volumeScaledDb = value
                        onInstrumentSet: (instrumentValue) => model.instrument = instrumentValue
                    }
                }
            }
        }
    }
}
