pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The scrolling list of the sounds that play now or are pinned, over the
// sound library's active-audio list model (`model`). A row's play and stop go
// to the model's `playTrack` and `stopTrack`; a seek leaves as `setPosition`,
// which a host connects to the player controller's SetPosition.
Item {
    id: root

    property alias model: list.model
    // Stands behind the list and fills the component.
    property Item background: Rectangle {
        objectName: "background"
        anchors.fill: parent
        color: root.theme.default_bg_color
    }
    property Component delegate: Component {
        ActiveAudioDelegate {
            width: ListView.view ? ListView.view.width - (scrollBar.visible ? scrollBar.width : 0) : 0
            height: 40
            theme: root.theme
            onPlayTrack: (playerId) => root.model.playTrack(playerId)
            onStopTrack: (playerId, isUrgent) => root.model.stopTrack(playerId, isUrgent)
            onSetPosition: (playerId, position) => root.setPosition(playerId, position)
        }
    }
    property VandTheme theme: ownTheme

    signal setPosition(real playerId, real position)

    width: 200
    height: 300

    VandTheme { id: ownTheme }

    Item {
        objectName: "backgroundHolder"
        anchors.fill: parent
        children: root.background ? [root.background] : []
    }

    ColumnLayout {
        anchors.fill: parent

        ListView {
            id: list
            objectName: "activeAudioList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 5
            clip: true
            delegate: root.delegate

            ScrollBar.vertical: CustomScrollBar {
                id: scrollBar
                objectName: "scrollBar"
            }
        }
    }
}
