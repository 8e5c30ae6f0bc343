import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The lower half of the main window in music-edit mode: the edit toolbar over
// three columns (playlist; markers or mixer; change-log events with the log's
// version). Its parts are exposed for the edit controller; the toolbar's tool
// buttons and two list gestures are relayed as the panel's own signals.
Item {
    id: root

    property alias songListControl: songList
    property alias markerListControl: markerList
    property alias eventListControl: eventList
    property alias editBarControl: editBar
    property alias logVersionText: versionLabel.text
    property bool oscEnable: true
    property bool showMixer: false
    property alias mixerControl: mixerView

    signal markerSelected(int index)
    signal editSelectedMarkerItem()
    signal editSelectedEventItem()
    signal caesuraButtonPressed()
    signal cutButtonPressed()
    signal markerButtonPressed()
    signal skipButtonPressed()
    signal vampButtonPressed()
    signal oscButtonPressed()
    signal transposeButtonPressed()
    signal repeatButtonPressed()
    signal clickButtonPressed()
    signal tempoButtonPressed()
    signal songIndexChanged()

    // A theme of its own: the panel also stands outside the main window.
    VandTheme { id: theme }

    Connections {
        target: editBar
        function onCaesuraButton() { root.caesuraButtonPressed(); }
    }
    Connections {
        target: editBar
        function onCutButton() { root.cutButtonPressed(); }
    }
    Connections {
        target: editBar
        function onMarkerButton() { root.markerButtonPressed(); }
    }
    Connections {
        target: editBar
        function onSkipButton() { root.skipButtonPressed(); }
    }
    Connections {
        target: editBar
        function onVampButton() { root.vampButtonPressed(); }
    }
    Connections {
        target: editBar
        function onOscButton() { root.oscButtonPressed(); }
    }
    Connections {
        target: editBar
        function onTransposeButton() { root.transposeButtonPressed(); }
    }
    Connections {
        target: editBar
        function onRepeatButton() { root.repeatButtonPressed(); }
    }
    Connections {
        target: editBar
        function onClickButton() { root.clickButtonPressed(); }
    }
    Connections {
        target: editBar
        function onTempoScaleButton() { root.tempoButtonPressed(); }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TimeLineEditorBar {
            id: editBar
            objectName: "editBar"
            Layout.fillWidth: true
            Layout.preferredHeight: height
            Layout.rightMargin: 15
            enableOsc: root.oscEnable
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: theme.bevel_width

            Rectangle {
                objectName: "playlistColumn"
                Layout.preferredWidth: root.width / 3
                Layout.fillHeight: true
                Layout.leftMargin: theme.bevel_width + 1
                color: theme.default_bg_color

                BasicBevel {}

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    CustomTabBar {
                        objectName: "playlistTabs"
                        Layout.fillWidth: true
                        currentIndex: 0
                        CustomTabButton {
                            objectName: "playlistTab"
                            source: "qrc:/images/single_note.svg"
                            text: "Playlist"
                            toolTip.text: "List of songs"
                        }
                    }
                    SongListView {
                        id: songList
                        objectName: "songList"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        onCurrentItemChanged: root.songIndexChanged()
                    }
                }
            }

            Rectangle {
                objectName: "markerColumn"
                Layout.preferredWidth: root.width / 3
                Layout.fillHeight: true
                color: theme.default_bg_color

                BasicBevel {}

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    CustomTabBar {
                        id: middleBar
                        objectName: "middleBar"
                        Layout.fillWidth: true
                        currentIndex: root.showMixer ? 1 : 0
                        CustomTabButton {
                            objectName: "markerTab"
                            source: "qrc:/images/marker.svg"
                            text: "Marker List"
                            toolTip.text: "Reference markers pre-set to match the score"
                            showHoverEffect: root.showMixer
                        }
                        CustomTabButton {
                            objectName: "mixerTab"
                            source: "qrc:/images/mixer.svg"
                            text: "Mixer  "
                            toolTip.text: "Control individual output streams"
                            iconScale: 1.4
                            visible: root.showMixer
                            showHoverEffect: true
                        }
                    }
                    StackLayout {
                        objectName: "markerStack"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        currentIndex: middleBar.currentIndex

                        MarkerListView {
                            id: markerList
                            objectName: "markerList"
                            onItemClicked: root.markerSelected(markerList.currentIndex)
                            onEditSelectedItem: root.editSelectedMarkerItem()
                        }
                        MixerView {
                            id: mixerView
                            objectName: "mixerView"
                        }
                    }
                }
            }

            Rectangle {
                objectName: "eventColumn"
                Layout.preferredWidth: root.width / 3
                Layout.fillHeight: true
                color: theme.default_bg_color

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    Rectangle {
                        id: eventTabRow
                        Layout.fillWidth: true
                        Layout.preferredHeight: eventTabs.implicitHeight
                        color: "transparent"

                        CustomTabBar {
                            id: eventTabs
                            objectName: "eventTabs"
                            anchors.fill: parent
                            currentIndex: 0
                            CustomTabButton {
                                objectName: "eventTab"
                                source: "qrc:/images/list.svg"
                                text: "Event List"
                                toolTip.text: "Pre-set and Custom Events. Color coded by function"
                            }
                        }
                        Text {
                            id: versionLabel
                            objectName: "logVersionLabel"
                            x: eventTabRow.width - implicitWidth - 20
                            anchors.verticalCenter: parent.verticalCenter
                            text: "Log v0.0"
                            color: theme.default_text_header_color
                        }
                    }
                    EventListView {
                        id: eventList
                        objectName: "eventList"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        enableOsc: root.oscEnable
                    }
                }
            }
        }
    }
}
