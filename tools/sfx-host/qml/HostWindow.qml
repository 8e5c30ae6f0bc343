import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The sounds that play now, with the host's two ways in: the SFX manager and
// a file of one's own. Messages the host puts up appear in `messageWindow`.
Window {
    id: root

    property QtObject activeAudioModel: null

    signal setPosition(real playerId, real position)
    signal playFileClicked()
    signal managerClicked()

    title: qsTr("Active Audio")
    width: 420
    height: 480
    visible: true
    color: theme.dark_background_color

    VandTheme { id: theme }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 10
        spacing: 10

        ActiveAudioList {
            objectName: "activeAudio"
            Layout.fillWidth: true
            Layout.fillHeight: true
            theme: theme
            model: root.activeAudioModel
            onSetPosition: (playerId, position) => root.setPosition(playerId, position)
        }

        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10

            FlatButton {
                objectName: "managerButton"
                text: qsTr("SFX Manager…")
                onClicked: root.managerClicked()
            }
            FlatButton {
                objectName: "playFileButton"
                text: qsTr("Play a File…")
                isDefault: true
                onClicked: root.playFileClicked()
            }
        }
    }

    FlatDialogWindow {
        objectName: "messageWindow"
        visible: false
        transientParent: root
    }
}
