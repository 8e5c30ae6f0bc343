import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui
import "MixerColumns.js" as MixerColumns

// One track row of the mixer: mute and solo, name, instrument, pan and volume.
// It only reports what the user does; its states follow its owner's bindings.
Item {
    id: control

    VandTheme { id: theme }

    property string name: "Name"
    property alias isMuted: muteButton.checked
    property alias isSolo: soloButton.checked
    property double volumeScaledDb: 0
    property double pan: 0.0
    property bool enableSolo: true
    property bool enableMute: true
    property string muteToolTip: "Mute Track"
    property string soloToolTip: "Solo Track"
    property alias instrumentModel: instrumentCombo.model
    property alias currentInstrumentIndex: instrumentCombo.currentIndex
    property alias instrumentControl: instrumentCombo

    signal instrumentSet(int instrumentValue)
    signal muteClicked()
    signal panSet(double value)
    signal soloClicked()
    signal volumeSet(double value)

    implicitHeight: row.implicitHeight

    // A drag or a snap writes the controls' values from script, which ends
    // their bindings; the owner's values are handed on here as well.
    onVolumeScaledDbChanged: volumeSlider.value = volumeScaledDb
    onPanChanged: panDial.value = pan

    RowLayout {
        id: row
        objectName: "trackLayout"
        width: parent.width
        spacing: MixerColumns.spacing

        Row {
            objectName: "stateButtons"
            Layout.preferredWidth: MixerColumns.width(0, row.width)
            Layout.alignment: Qt.AlignVCenter
            spacing: 3

            OutlineButton {
                id: muteButton
                objectName: "muteButton"
                text: "M"
                enabled: control.enableMute
                toolTipText: control.muteToolTip
                onClicked: control.muteClicked()
            }

            OutlineButton {
                id: soloButton
                objectName: "soloButton"
                text: "S"
                enabled: control.enableSolo
                controlColor: "#D3AF37"
                toolTipText: control.soloToolTip
                onClicked: control.soloClicked()
            }
        }

        Text {
            id: nameText
            objectName: "trackName"
            Layout.preferredWidth: MixerColumns.width(1, row.width)
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            text: control.name
            color: "white"
            font: theme.default_font
            elide: Text.ElideRight

            MouseArea {
                id: nameArea
                anchors.fill: parent
                hoverEnabled: true
                // Only watches the pointer: clicks go through.
                acceptedButtons: Qt.NoButton
            }

            VandToolTip {
                objectName: "nameToolTip"
                host: nameText
                delay: 500
                text: control.name
                visible: nameArea.containsMouse && nameText.truncated
            }
        }

        CustomComboBox {
            id: instrumentCombo
            objectName: "instrumentCombo"
            Layout.preferredWidth: MixerColumns.width(2, row.width)
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            textRole: "displayname"
            valueRole: "value"
            minimumPopupWidth: 220
            // Only a pick by the user is announced, once; a selection made
            // by the view is not.
            onActivated: control.instrumentSet(instrumentCombo.currentValue)
        }

        VandCustomDial {
            id: panDial
            objectName: "panDial"
            Layout.preferredWidth: MixerColumns.width(3, row.width)
            Layout.alignment: Qt.AlignVCenter
            value: control.pan
            onMoved: control.panSet(value)
        }

        VandCustomVolumeSlider {
            id: volumeSlider
            objectName: "volumeSlider"
            Layout.preferredWidth: MixerColumns.width(4, row.width)
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            value: control.volumeScaledDb
            onMoved: control.volumeSet(value)
        }
    }
}
