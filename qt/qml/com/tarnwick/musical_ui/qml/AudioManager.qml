import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The Audio Manager: the player's output device and its volume (the volume
// row stays hidden). The controller fills and preselects the list; OK, or
// Enter in the closed list, emits okay(). Cancel and the title bar only hide
// the window.
Window {
    id: root

    property alias outputDeviceModel: deviceList.model
    property alias outputDeviceIndex: deviceList.currentIndex
    property alias outputDeviceValue: deviceList.currentValue
    property alias outputVolume: volumeSlider.value
    // The volume taper: the slider's 25·ln(v) dB as a linear gain.
    readonly property real outputVolumeLinear: Math.pow(10, 25 * Math.log(outputVolume) / 20)

    signal okay()

    VandTheme { id: theme }

    title: "Audio Manager"
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color

    width: 360
    minimumWidth: width
    maximumWidth: width
    height: content.implicitHeight + 2 * 16
    minimumHeight: height
    maximumHeight: height

    ColumnLayout {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 16
        spacing: 16

        Text {
            objectName: "heading"
            Layout.alignment: Qt.AlignLeft
            text: qsTr("Audio Output")
            font: theme.heavy_label
            color: theme.light_text_color
        }

        Rectangle {
            objectName: "devicePanel"
            Layout.fillWidth: true
            Layout.preferredHeight: grid.implicitHeight + 2 * 16
            color: Qt.lighter(theme.default_bg_color, 1.25)
            radius: 3

            GridLayout {
                id: grid
                anchors.fill: parent
                anchors.margins: 16
                columns: 2
                rowSpacing: 16
                columnSpacing: 10

                Text {
                    text: qsTr("Device")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: deviceList
                    objectName: "deviceList"
                    Layout.fillWidth: true
                    focus: true
                    onEnterPressed: root.okay()
                }

                Item {}
                Text {
                    objectName: "deviceNote"
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    text: qsTr("• Bluetooth devices are not supported\n• Adding or removing an audio device while the application is running may cause stability issues")
                    font: theme.small_font
                    color: theme.dim_text_color
                }

                Text {
                    visible: false
                    text: qsTr("Volume")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                VandCustomVolumeSlider {
                    id: volumeSlider
                    objectName: "volumeSlider"
                    visible: false
                    Layout.fillWidth: true
                }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10

            FlatButton {
                objectName: "cancelButton"
                text: "Cancel"
                onClicked: root.close()
            }
            FlatButton {
                objectName: "okButton"
                text: "OK"
                isDefault: true
                onClicked: root.okay()
            }
        }
    }
}
