import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The application's main window. It relays its children's signals, turns
// edit-button presses into ticks, follows the player's transport state and
// never closes by itself: the close request goes to whoever answers `closing`.
ApplicationWindow {
    id: window

    property url albumArtImageUrl: ""
    property int marginSize: 15
    property bool oscEnable: true
    property bool showFade: true
    property bool showScore: false
    property bool showMixer: false
    // The player's transport as the main controller's signals report it:
    // "stopped", "playing", "fading", or paused from one of them: "paused"
    // while playback is under way, "pausedStopped" otherwise (a pause leaves
    // Stop and Pause enablement as they were). The play control follows it.
    property string transportState: "stopped"
    readonly property bool transportUnderway: transportState === "playing" || transportState === "fading"
                                              || transportState === "paused"

    property alias statusBannerControl: statusBanner
    property alias key: statusBanner.key
    property alias tempo: statusBanner.tempo
    property alias meter: statusBanner.meter
    property alias transpose: statusBanner.transpose
    property alias tempoScale: statusBanner.tempoScale
    property alias beat: statusBanner.beat
    property alias measure: statusBanner.measure
    property alias songTitle: statusBanner.songTitle
    property alias flowControlLabel: statusBanner.flowControlLabel
    property alias flowControlValue: statusBanner.flowControlValue
    property alias flowControlBackgroundColor: statusBanner.flowControlBackgroundColor
    property alias volumeLevelPercent: statusBanner.volumeLevelPercent
    property alias highlightContinueButton: playControl.highlightContinueButton
    property alias mixerControl: editPanel.mixerControl
    property alias aboutWindow: menu.aboutWindow
    property alias menu: menu
    property alias showAlbumArtImage: statusBanner.albumArtImageControl.visible
    property alias cornerLogoSource: cornerLogo.source
    property alias editPanelControl: editPanel
    property alias timelineControl: timelinePanel.timelineControl
    property alias scoreControl: scoreView

    signal play()
    signal stop()
    signal pause()
    signal fade(int fadeTimeMs)
    signal continueFlow()
    signal nextSong()
    signal prevSong()
    signal jumpToBar(string barNum)
    signal changelogManagerOpened()
    signal outputPathsOpened()
    signal getLatestLogClicked()
    signal caesuraButtonPressed(int start)
    signal markerButtonPressed(int start)
    signal oscButtonPressed(int start)
    signal skipButtonPressed(int start, int end)
    signal vampButtonPressed(int start, int end)
    signal cutButtonPressed(int start, int end)
    signal transposeButtonPressed(int start, int end)
    signal tempoButtonPressed(int start, int end)
    signal repeatButtonPressed(int start, int end)
    signal clickButtonPressed(int start, int end)
    signal songIndexChanged()

    // Raised by the main controller.
    signal playStarted()
    signal stopped()
    signal paused()
    signal fading()
    signal jumpToBarResult(bool success)

    minimumWidth: 1366
    minimumHeight: 768
    width: minimumWidth
    height: minimumHeight
    title: "Pelorin"
    visible: true
    color: theme.default_bg_color

    function startJumpToBar() {
        jumpToBarPopup.open();
    }

    function setSelectionStart(tickValue) {
        timelinePanel.timelineControl.selectionStart = tickValue / 25;
    }

    function setSelectionEnd(tickValue) {
        const timeline = timelinePanel.timelineControl;
        timeline.selectionEnd = tickValue / 25;
        timeline.selectionActive = true;
    }

    // The ticks an edit button acts on: the selection when there is one,
    // otherwise the playhead.
    function editRange() {
        const timeline = timelinePanel.timelineControl;
        if (timeline.selectionActive) {
            return [timeline.calculateScaledPosition(timeline.selectionStart * timeline.viewScale),
                    timeline.calculateScaledPosition(timeline.selectionEnd * timeline.viewScale)];
        }
        const position = timeline.calculateScaledPosition(timeline.playheadItem.x);
        return [position, position];
    }

    // Raises an edit signal with the ticks the edit acts on: a point edit
    // takes the start alone, a range edit the start and the end.
    function relayPointEdit(editSignal) {
        editSignal(editRange()[0]);
    }
    function relayRangeEdit(editSignal) {
        const range = editRange();
        editSignal(range[0], range[1]);
    }

    onClosing: (close) => { close.accepted = false; }

    onPlayStarted: transportState = "playing"
    onStopped: transportState = "stopped"
    onFading: transportState = "fading"
    onPaused: transportState = transportUnderway ? "paused" : "pausedStopped"
    onJumpToBarResult: (success) => jumpToBarPopup.result(success)

    VandTheme { id: theme }

    Item {
        id: keyReceiver
        objectName: "keyReceiver"
        anchors.fill: parent
        focus: true
        Keys.onPressed: (event) => {
            if (event.key === Qt.Key_Plus) {
                menu.zoomIn();
                event.accepted = true;
            }
        }
    }

    ResponsiveMenu {
        id: menu
        objectName: "menu"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.topMargin: 10
        anchors.leftMargin: 10
        z: 1
        rootWindow: window
        onJumpToBarStart: window.startJumpToBar()
        onChangelogManagerOpened: window.changelogManagerOpened()
        onOutputPaths: window.outputPathsOpened()
        onGetLatestLogClicked: window.getLatestLogClicked()
    }

    TabBar {
        id: modeTabs
        objectName: "modeTabs"
        anchors.left: menu.right
        anchors.leftMargin: 10
        anchors.top: parent.top
        z: 1
        spacing: 0
        currentIndex: 0
        background: Rectangle {
            color: theme.default_bg_color
        }

        ModeTabButton {
            objectName: "musicEditTab"
            text: "Music Edit"
            font: theme.default_font
        }
        ModeTabButton {
            objectName: "scoreTab"
            text: "Score"
            font: theme.default_font
            visible: window.showScore
        }
    }

    ColumnLayout {
        id: mainColumn
        anchors.fill: parent
        anchors.topMargin: 25
        anchors.bottomMargin: theme.bevel_width
        spacing: 2

        RowLayout {
            objectName: "topRow"
            spacing: 15
            Layout.preferredHeight: 100
            Layout.fillWidth: true
            Layout.leftMargin: window.marginSize
            Layout.rightMargin: window.marginSize
            Layout.bottomMargin: window.marginSize

            PlayControl {
                id: playControl
                objectName: "playControl"
                Layout.alignment: Qt.AlignLeft | Qt.AlignBottom
                showFade: window.showFade
                stopToggled: window.transportUnderway
                pauseEnabled: window.transportUnderway
                pauseToggled: window.transportState === "paused" || window.transportState === "pausedStopped"
                fadeEnabled: window.transportState === "playing"
                onPlay: window.play()
                onStop: window.stop()
                onPause: window.pause()
                onFade: (fadeTimeMs) => window.fade(fadeTimeMs)
                onContinueFlow: window.continueFlow()
                onNextSong: window.nextSong()
                onPrevSong: window.prevSong()
            }

            ShowStatusBanner {
                id: statusBanner
                objectName: "statusBanner"
                Layout.fillWidth: true
                albumArtImageControl.source: window.albumArtImageUrl
                onBarBeatClicked: window.startJumpToBar()
            }

            Image {
                id: cornerLogo
                objectName: "cornerLogo"
                Layout.preferredHeight: 80
                Layout.preferredWidth: paintedWidth
                Layout.alignment: Qt.AlignRight | Qt.AlignVCenter
                fillMode: Image.PreserveAspectFit
                smooth: true
                antialiasing: true
                mipmap: true
                source: "qrc:/images/vand_flat_logo.png"
            }
        }

        StackLayout {
            objectName: "modeStack"
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: modeTabs.currentIndex

            ColumnLayout {
                spacing: 0

                TimeLineEditPanel {
                    id: timelinePanel
                    objectName: "timelinePanel"
                    Layout.fillWidth: true
                }

                Item {
                    objectName: "bottomPanel"
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    EditPanel {
                        id: editPanel
                        objectName: "editPanel"
                        anchors.fill: parent
                        showMixer: window.showMixer
                        oscEnable: window.oscEnable

                        onCaesuraButtonPressed: window.relayPointEdit(window.caesuraButtonPressed)
                        onMarkerButtonPressed: window.relayPointEdit(window.markerButtonPressed)
                        onOscButtonPressed: window.relayPointEdit(window.oscButtonPressed)
                        onSkipButtonPressed: window.relayRangeEdit(window.skipButtonPressed)
                        onVampButtonPressed: window.relayRangeEdit(window.vampButtonPressed)
                        onCutButtonPressed: window.relayRangeEdit(window.cutButtonPressed)
                        onTransposeButtonPressed: window.relayRangeEdit(window.transposeButtonPressed)
                        onTempoButtonPressed: window.relayRangeEdit(window.tempoButtonPressed)
                        onRepeatButtonPressed: window.relayRangeEdit(window.repeatButtonPressed)
                        onClickButtonPressed: window.relayRangeEdit(window.clickButtonPressed)
                        onSongIndexChanged: window.songIndexChanged()
                    }
                }
            }

            ScoreView {
                id: scoreView
                objectName: "scoreView"
                visible: false
            }
        }
    }

    JumpToBar {
        id: jumpToBarPopup
        objectName: "jumpToBar"
        onOk: window.jumpToBar(barNum)
    }
}
