import QtQuick
import QtQuick.Window
import com.tarnwick.vand_ui

// The four sound-effect views filled as a host fills them, each in its own
// window, for look_sfxviews to picture.
Item {
    id: scenes

    ListModel {
        id: activeAudio
        signal playTrack(real id)
        signal stopTrack(real id, bool isUrgent)

        Component.onCompleted: {
            const rows = [
                ["Thunder roll", 42.5, 0.35, true, true],
                ["Rain on the roof", 95, 0.8, true, false],
                ["", 0, 0, false, true],
                ["A very long sound effect name that does not fit", 600, 0.1, true, false],
                ["Door slam", 2.2, 1, false, true],
                ["Crowd murmur", 180, 0.5, true, false],
                ["Bell", 6, 0.25, true, false],
                ["Wind", 75.4, 0.6, false, false],
            ];
            for (let i = 0; i < rows.length; ++i)
                append({ id: 4294967296 + i, name: rows[i][0], path: "", volume: 1, duration: rows[i][1],
                         progress: rows[i][2], isPlaying: rows[i][3], isPinned: rows[i][4] });
        }
    }

    ListModel {
        id: sources
        Component.onCompleted: {
            const names = ["Thunder", "Rain", "Door slam", "Crowd murmur", "Bell", "Wind", "Birdsong at dawn",
                           "Clock tower striking twelve over the sleeping town", "Footsteps", "Glass breaking",
                           "Telephone", "Car horn", "Applause"];
            for (let i = 0; i < names.length; ++i)
                append({ sfxid: "fx." + i, displayname: names[i] });
        }
    }

    ListModel {
        id: instances
        ListElement { eventId: "sfx.7c1d4e8b"; summary: "Storm in act one"; isReady: true }
        ListElement { eventId: "sfx.9a6f3d2e"; summary: "Rain before the duet"; isReady: true }
        ListElement { eventId: "sfx.1c0b4a22"; summary: "Doorbell (still loading)"; isReady: false }
        ListElement { eventId: "sfx.5b0e61c1"; summary: "Crowd at the fair, long enough to be cut short by the row"; isReady: true }
    }

    ListModel {
        id: paths
        ListElement { path_name: "Stage left"; path_id: "5b0e61c1-5d5c-4bb3-a0a4-0c2d1f0e9a11" }
    }

    Window {
        objectName: "active_audio"
        // A window of its own, not one waiting for the item\'s window.
        transientParent: null
        title: "Active Audio"
        width: 360
        height: 320
        visible: true

        ActiveAudioList {
            anchors.fill: parent
            model: activeAudio
        }
    }

    // The two pin icons at their size and enlarged, unpinned (greyed) and
    // pinned.
    Window {
        objectName: "pin_icons"
        // A window of its own, not one waiting for the item's window.
        transientParent: null
        title: "Pin icons"
        width: 420
        height: 150
        visible: true
        color: "#232323"

        Row {
            anchors.centerIn: parent
            spacing: 20

            Repeater {
                model: ["qrc:/images/keep.svg", "qrc:/images/keep_off.svg"]

                Row {
                    required property string modelData
                    spacing: 10

                    Image {
                        anchors.verticalCenter: parent.verticalCenter
                        source: parent.modelData
                        sourceSize: Qt.size(20, 20)
                    }
                    Image {
                        source: parent.modelData
                        sourceSize: Qt.size(120, 120)
                    }
                }
            }
        }
    }

    SfxManagerTool {
        objectName: "sfx_manager"
        // A window of its own, not one waiting for the item\'s window.
        transientParent: null
        availableSoundEffectsModel: sources
        soundEffectInstancesModel: instances
        Component.onCompleted: {
            scenes.findIn(contentItem, "instanceList").currentIndex = 1;
            addToPlaying("sfx.5b0e61c1");
        }
    }

    StandaloneSfxTool {
        objectName: "instance_tool"
        // A window of its own, not one waiting for the item\'s window.
        transientParent: null
        visible: true
        isEdit: true
        eventId: "sfx.7c1d4e8b"
        effectModel: sources
        outputPathsModel: paths
        effectIdIndex: 0
        fadeIn: "1.5"
        fadeOut: "3"
        loop: true
        Component.onCompleted: name = "Storm in act one"
    }

    SfxPropertyTool {
        objectName: "custom_audio_tool"
        // A window of its own, not one waiting for the item\'s window.
        transientParent: null
        visible: true
        fadeOut: "2"
        Component.onCompleted: scenes.findIn(contentItem, "fileInput").chooseFile("file:///home/crew/sounds/My%20bell.wav")
    }

    SfxPropertyTool {
        objectName: "custom_audio_tool_effect"
        // A window of its own, not one waiting for the item\'s window.
        transientParent: null
        visible: true
        usesCustomAudioFile: false
        effectModel: sources
        eventId: "sfx.9a6f3d2e"
        effectIdIndex: 4
        commandIndex: 1
    }

    function findIn(item, name) {
        if (item.objectName === name)
            return item;
        for (let i = 0; i < item.children.length; ++i) {
            const found = findIn(item.children[i], name);
            if (found)
                return found;
        }
        return null;
    }
}
