pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import com.tarnwick.vand_ui

// One row of the active-audio list: a pin button, the sound's name over its
// played time (a click there seeks), and a play/stop button. Reads the roles
// id, name, duration, progress, isPlaying and isPinned of the list's model
// (`model`, set by the view) and writes isPinned and progress back; play,
// stop and seek leave as signals. Player ids travel as `real`, exact up to
// 2^53.
Item {
    id: root

    required property var model
    property Item background: middleArea
    property VandTheme theme: ownTheme

    signal playTrack(real playerId)
    signal stopTrack(real playerId, bool isUrgent)
    signal setPosition(real playerId, real position)

    // Seconds as "m:ss"; what is no time (not a number, endless, below 0)
    // shows as "0:00".
    function formatTime(time) {
        if (!isFinite(time) || time < 0)
            return "0:00";
        const minutes = Math.floor(time / 60);
        const secs = Math.floor(time % 60);
        return minutes + ":" + (secs < 10 ? "0" : "") + secs;
    }

    function toggleIsPlaying() {
        if (row.isPlaying)
            root.stopTrack(row.playerId, false);
        else
            root.playTrack(row.playerId);
    }

    VandTheme { id: ownTheme }

    QtObject {
        id: row

        readonly property real playerId: root.model.id
        readonly property string name: root.model.name
        readonly property real duration: root.model.duration
        readonly property real progress: root.model.progress
        // The played fraction as shown: within 0 and 1, and 0 for what is no
        // number.
        readonly property real shownProgress: isFinite(row.progress) ? Math.max(0, Math.min(1, row.progress)) : 0
        readonly property bool hasDuration: isFinite(row.duration) && row.duration > 0
        readonly property bool isPlaying: root.model.isPlaying
        readonly property bool isPinned: root.model.isPinned
        // The pointer rests on the pin of a pinned row: its image hints that
        // a click unpins.
        property bool unpinHint: false

        // A click at x of the middle area: near either end it snaps to the
        // start or the end, otherwise it goes to that fraction.
        function seekAt(x) {
            if (!row.hasDuration || middleArea.width <= 0)
                return;
            const fraction = x / middleArea.width;
            const time = fraction * row.duration;
            let position = fraction;
            if (time < 1)
                position = 0;
            else if (row.duration - time < 1)
                position = 1;
            root.model.progress = position;
            root.setPosition(row.playerId, position);
        }

        function togglePin() {
            root.model.isPinned = !row.isPinned;
            row.unpinHint = false;
        }
    }

    Item {
        id: pinButton
        objectName: "pinButton"
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: 48
        height: 48

        Image {
            id: pinImage
            objectName: "pinImage"
            anchors.centerIn: parent
            sourceSize: "20x20"
            fillMode: Image.PreserveAspectFit
            source: row.unpinHint && row.isPinned ? "qrc:/images/keep_off.svg" : "qrc:/images/keep.svg"
        }

        // Greys the pin of a row that is not pinned.
        ColorOverlay {
            objectName: "pinOverlay"
            anchors.fill: pinImage
            source: pinImage
            color: "#5a5a5a"
            visible: !row.isPinned
        }

        MouseArea {
            objectName: "pinArea"
            anchors.fill: parent
            hoverEnabled: true
            onClicked: row.togglePin()
            onEntered: row.unpinHint = row.isPinned
            onExited: row.unpinHint = false
        }
    }

    Item {
        id: middleArea
        objectName: "middleArea"
        anchors.left: pinButton.right
        anchors.right: playButtonBox.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom

        Rectangle {
            objectName: "playedPortion"
            height: parent.height
            width: row.shownProgress * middleArea.width
            color: "#10FFFFFF"
        }

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 5
            spacing: 5

            Text {
                objectName: "nameText"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.alignment: Qt.AlignHCenter
                text: row.name !== "" ? row.name : qsTr("Name not set")
                color: root.theme.light_text_color
                font.pixelSize: root.theme.default_font.pixelSize
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }

            Text {
                objectName: "timeText"
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignHCenter
                text: row.hasDuration
                      ? root.formatTime(row.shownProgress * row.duration) + " / " + root.formatTime(row.duration)
                      : "0:00 / 0:00"
                color: root.theme.default_text_color
                font.pixelSize: root.theme.small_font.pixelSize
                horizontalAlignment: Text.AlignHCenter
            }
        }

        MouseArea {
            objectName: "seekArea"
            anchors.fill: parent
            onClicked: (mouse) => row.seekAt(mouse.x)
        }
    }

    Item {
        id: playButtonBox
        objectName: "playButtonBox"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 40
        height: 40

        SfxPlayButton {
            id: playButton
            objectName: "playButton"
            anchors.centerIn: parent
            width: 28
            height: 28
            playing: row.isPlaying
            buttonManagesState: false

            MouseArea {
                objectName: "playArea"
                anchors.fill: parent
                onClicked: {
                    playButton.handleClick(row.isPlaying);
                    root.toggleIsPlaying();
                }
            }
        }
    }
}
