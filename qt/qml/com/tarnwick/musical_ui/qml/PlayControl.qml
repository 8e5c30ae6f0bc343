pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The transport bar: Prev, Next, Stop, Play, Pause and Exit Vamp in one
// group, Fade (click for three seconds, hold for a choice) in another.
Item {
    id: root

    property alias pauseEnabled: pauseButton.enabled
    property alias pauseToggled: pauseButton.toggled
    property alias stopToggled: stopButton.toggled
    property alias fadeEnabled: fadeButton.enabled
    property alias fadeToggled: fadeButton.toggled
    property bool highlightContinueButton: false
    property bool showFade: true

    signal play()
    signal stop()
    signal pause()
    signal fade(int fadeTimeMs)
    signal continueFlow()
    signal nextSong()
    signal prevSong()

    enabled: true
    height: 52
    implicitWidth: row.implicitWidth
    implicitHeight: 52

    VandTheme { id: theme }

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.top: parent.top
        spacing: 15

        BubbleButtonBar {
            objectName: "transportGroup"

            BubbleButton {
                objectName: "prevButton"
                text: "Prev"
                imageSource: "qrc:/images/previous.svg"
                textColor: theme.default_text_color
                toolTip.text: "Select previous song in playlist"
                onClicked: root.prevSong()
            }
            BubbleButton {
                objectName: "nextButton"
                text: "Next"
                imageSource: "qrc:/images/next.svg"
                textColor: theme.default_text_color
                toolTip.text: "Select next song in playlist"
                onClicked: root.nextSong()
            }
            BubbleButton {
                id: stopButton
                objectName: "stopButton"
                text: "Stop"
                imageSource: "qrc:/images/stop2.svg"
                textColor: theme.default_text_color
                toolTip.text: "Stop playback and return playhead to beginning of timeline"
                onClicked: root.stop()
            }
            BubbleButton {
                objectName: "playButton"
                text: "Play"
                imageSource: "qrc:/images/play.svg"
                textColor: theme.default_text_color
                toolTip.text: "Play selected song from playlist / resume playback in timeline"
                onClicked: root.play()
            }
            BubbleButton {
                id: pauseButton
                objectName: "pauseButton"
                text: "Pause"
                enabled: false
                imageSource: "qrc:/images/pause.svg"
                colorToggledOn: true
                textColor: theme.default_text_color
                toolTip.text: "Pause playback and playhead in timeline"
                onClicked: root.pause()
            }
            BubbleButton {
                objectName: "exitVampButton"
                text: "Exit Vamp"
                imageSource: "qrc:/images/exit-vamp.svg"
                radiant: root.highlightContinueButton
                toggled: root.highlightContinueButton
                colorToggledOn: true
                toolTip.text: "(1) Resume playback after Caesura (2) Jump to end of Skip (3) Exit a Vamp"
                onClicked: root.continueFlow()
            }
        }

        BubbleButtonBar {
            objectName: "fadeGroup"
            visible: root.showFade

            BubbleButton {
                id: fadeButton
                objectName: "fadeButton"
                text: "Fade"
                enabled: false
                visible: root.showFade
                width: root.showFade ? implicitWidth : 0
                Layout.preferredWidth: root.showFade ? implicitWidth : 0
                imageSource: "qrc:/images/fade.svg"
                showDownChevron: true
                textColor: theme.default_text_color
                toolTip.text: "Fade Out Current Song and Move to Next Song (hold for timing options)"
                onClicked: root.fade(3000)

                // The choice of fade times is built the first time it opens.
                property CustomContextMenu fadeMenu: null
                onPressAndHold: {
                    if (!fadeMenu)
                        fadeMenu = fadeMenuComponent.createObject(fadeButton) as CustomContextMenu;
                    fadeMenu.popup();
                }

                Component {
                    id: fadeMenuComponent

                    CustomContextMenu {
                        objectName: "fadeMenu"

                        Action {
                            text: "1 second"
                            onTriggered: root.fade(1000)
                        }
                        Action {
                            text: "3 seconds"
                            onTriggered: root.fade(3000)
                        }
                        Action {
                            text: "5 seconds"
                            onTriggered: root.fade(5000)
                        }
                        Action {
                            text: "7 seconds"
                            onTriggered: root.fade(7000)
                        }
                    }
                }
            }
        }
    }
}
