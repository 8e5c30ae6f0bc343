import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The strip across the top of the main window: song, flow-control state,
// measure and beat, key, transposition, tempo, tempo scale, meter, volume,
// album art and the MIDI and OSC activity lamps.
Item {
    id: root

    VandTheme { id: theme }

    property color labelColor: "#959595"
    property color backgroundColor: "#191919"
    property color valueColor: "white"
    property color defaultNotificationColor: theme.off_indicator_color
    property color highlightedNotificationColor: theme.on_indicator_color
    property int labelFontSize: 12
    property int bigLabelFontSize: 32

    property string songTitle: ""
    property alias key: keyValue.valueText
    property alias transpose: transposeValue.valueText
    property alias tempo: tempoValue.valueText
    property alias tempoScale: tempoScaleValue.valueText
    property alias meter: meterValue.valueText
    property alias flowControlLabel: flowControl.labelText
    property alias flowControlValue: flowControl.valueText
    property color flowControlBackgroundColor: "#333"
    property alias volumeLevelPercent: volumeIndicator.value
    property alias albumArtImageControl: albumArtImage
    property string measure: "0000"
    property string beat: "00"

    signal barBeatClicked()

    implicitWidth: 608
    implicitHeight: 75

    // Leading zeros up to `width` characters (one more when the text holds a
    // decimal point); longer texts stay as they are.
    function zeroFill(number, width) {
        const text = number === undefined || number === null ? "" : String(number);
        const n = text.length;
        if (n < width) {
            const zeros = width - n + (text.indexOf(".") >= 0 ? 1 : 0);
            return "0".repeat(zeros) + text;
        }
        return text;
    }

    function highlightMidiNotice() {
        midiNotice.color = root.highlightedNotificationColor;
        revertColorTimer.restart();
    }

    function highlightOscNotice() {
        oscNotice.color = root.highlightedNotificationColor;
        revertOscColorTimer.restart();
    }

    function highlightOscOutgoingNotice() {
        oscNotice.color = "#FFD700";
        revertOscColorTimer.restart();
    }

    function escapeHtml(text) {
        return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
    }

    Timer {
        id: revertColorTimer
        objectName: "revertColorTimer"
        interval: 500
        repeat: false
        onTriggered: midiNotice.color = root.defaultNotificationColor
    }

    Timer {
        id: revertOscColorTimer
        objectName: "revertOscColorTimer"
        interval: 500
        repeat: false
        onTriggered: oscNotice.color = root.defaultNotificationColor
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Item { Layout.fillWidth: true }

        Image {
            id: albumArtImage
            objectName: "albumArtImage"
            // Decoded off the GUI thread; its size never depends on the image.
            asynchronous: true
            visible: false
            Layout.preferredWidth: visible ? 75 : 0
            Layout.preferredHeight: visible ? 75 : 0
            Layout.rightMargin: visible ? 10 : 0
            fillMode: Image.Stretch
            smooth: true
            mipmap: true

            BasicBevel {}
        }

        Rectangle {
            id: songPanel
            objectName: "songPanel"
            Layout.preferredWidth: 175
            Layout.fillHeight: true
            color: root.backgroundColor

            ColumnLayout {
                anchors.fill: parent
                anchors.leftMargin: 24
                anchors.rightMargin: 10
                spacing: 5

                Item { Layout.fillHeight: true }

                Item {
                    id: songArea
                    Layout.fillWidth: true
                    Layout.preferredHeight: 2 * songLabel.implicitHeight

                    Text {
                        id: songLabel
                        text: "Song:"
                        color: root.labelColor
                        font.pixelSize: root.labelFontSize
                    }

                    Text {
                        id: songTitleText
                        objectName: "songTitle"
                        anchors.fill: parent
                        anchors.rightMargin: 5
                        textFormat: Text.RichText
                        text: "<p style=\"text-indent:" + (songLabel.width + 5) + "px\">"
                              + root.escapeHtml(root.songTitle) + "</p>"
                        color: "white"
                        font.pixelSize: root.labelFontSize
                        wrapMode: Text.WordWrap
                        verticalAlignment: Text.AlignTop
                        clip: true

                        readonly property bool cutOff: contentHeight > height + 0.5

                        MouseArea {
                            id: titleHover
                            anchors.fill: parent
                            hoverEnabled: true
                            acceptedButtons: Qt.NoButton
                        }

                        ToolTip.text: root.songTitle
                        ToolTip.visible: titleHover.containsMouse && cutOff
                        ToolTip.delay: 1000
                        ToolTip.timeout: 5000
                    }
                }

                ShowBannerValue {
                    id: flowControl
                    objectName: "flowControl"
                    Layout.alignment: Qt.AlignLeft
                    spaceAroundText: 2
                    backgroundColor: root.flowControlBackgroundColor
                    barBackgroundOpacity: 0.7
                    labelColor: "white"
                }

                Item { Layout.fillHeight: true }
            }

            BasicBevel {}
        }

        Rectangle {
            id: positionPanel
            objectName: "positionPanel"
            Layout.preferredWidth: 175
            Layout.fillHeight: true
            color: root.backgroundColor

            TextMetrics {
                id: fourDigits
                font: measureText.font
                text: "0000"
            }
            TextMetrics {
                id: twoDigits
                font: measureText.font
                text: "00"
            }

            GridLayout {
                anchors.centerIn: parent
                columns: 3
                rowSpacing: 0

                Text {
                    id: measureText
                    objectName: "measureDigits"
                    text: root.zeroFill(root.measure, 4)
                    color: root.valueColor
                    font.pixelSize: root.bigLabelFontSize
                    horizontalAlignment: Text.AlignHCenter
                    Layout.preferredWidth: fourDigits.width
                    Layout.fillWidth: true

                    MouseArea {
                        anchors.fill: parent
                        onClicked: root.barBeatClicked()
                    }
                }
                Text {
                    objectName: "barBeatSeparator"
                    text: "|"
                    color: root.labelColor
                    font.pixelSize: root.bigLabelFontSize - 10
                    horizontalAlignment: Text.AlignHCenter
                    Layout.alignment: Qt.AlignHCenter | Qt.AlignVCenter
                    Layout.topMargin: -5
                    Layout.fillWidth: true
                }
                Text {
                    id: beatText
                    objectName: "beatDigits"
                    text: root.zeroFill(root.beat, 2)
                    color: root.valueColor
                    font.pixelSize: root.bigLabelFontSize
                    horizontalAlignment: Text.AlignHCenter
                    Layout.preferredWidth: twoDigits.width

                    MouseArea {
                        anchors.fill: parent
                        onClicked: root.barBeatClicked()
                    }
                }

                Text {
                    objectName: "measureLabel"
                    text: "Measure"
                    color: root.labelColor
                    font.pixelSize: root.labelFontSize
                    font.family: "Helvetica Neue"
                    horizontalAlignment: Text.AlignHCenter
                    Layout.fillWidth: true
                }
                Text {
                    text: ""
                    color: root.labelColor
                    font.pixelSize: root.labelFontSize
                    font.family: "Helvetica Neue"
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    objectName: "beatLabel"
                    text: "Beat"
                    color: root.labelColor
                    font.pixelSize: root.labelFontSize
                    font.family: "Helvetica Neue"
                    horizontalAlignment: Text.AlignHCenter
                    Layout.fillWidth: true
                }
            }

            BasicBevel {}
        }

        Rectangle {
            id: valuesPanel
            objectName: "valuesPanel"
            Layout.preferredWidth: 280
            Layout.fillHeight: true
            color: root.backgroundColor

            GridLayout {
                anchors.fill: parent
                anchors.leftMargin: 24
                anchors.rightMargin: 24
                anchors.topMargin: 10
                anchors.bottomMargin: 10
                columns: 2
                columnSpacing: 25
                rowSpacing: 5

                ShowBannerValue {
                    id: keyValue
                    objectName: "keyValue"
                    labelText: "Key:"
                    valueText: "TBD"
                    Layout.preferredWidth: 100
                    Layout.fillWidth: false
                }
                ShowBannerValue {
                    id: transposeValue
                    objectName: "transposeValue"
                    labelText: "Transpose:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: tempoValue
                    objectName: "tempoValue"
                    labelText: "Tempo:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: tempoScaleValue
                    objectName: "tempoScaleValue"
                    labelText: "Tempo Scale:"
                    valueText: "TBD"
                    Layout.preferredWidth: 100
                }
                ShowBannerValue {
                    id: meterValue
                    objectName: "meterValue"
                    labelText: "Meter:"
                    valueText: "TBD"
                }
                VolumeIndicatorSegmented {
                    id: volumeIndicator
                    objectName: "volumeIndicator"
                    segments: 10
                    value: 1
                    Layout.fillWidth: true
                    Layout.preferredHeight: transposeValue.height
                }
            }

            BasicBevel {}
        }

        Rectangle {
            id: lampPanel
            objectName: "lampPanel"
            Layout.preferredWidth: 33
            Layout.fillHeight: true
            color: root.backgroundColor

            ColumnLayout {
                anchors.fill: parent
                anchors.topMargin: 10

                Text {
                    id: midiNotice
                    objectName: "midiNotice"
                    text: "MIDI"
                    Layout.alignment: Qt.AlignHCenter
                    font.pixelSize: 8
                    color: root.defaultNotificationColor
                }
                Text {
                    id: oscNotice
                    objectName: "oscNotice"
                    text: "OSC"
                    Layout.alignment: Qt.AlignHCenter
                    font.pixelSize: 8
                    color: root.defaultNotificationColor
                }
                Item { Layout.fillHeight: true }
            }

            BasicBevel {}
        }

        Item { Layout.fillWidth: true }
    }
}
