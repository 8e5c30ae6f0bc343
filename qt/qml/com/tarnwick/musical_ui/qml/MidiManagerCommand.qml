import QtQuick
import com.tarnwick.vand_ui

// One command of the MIDI manager: its name, the status, channel and note
// lists, the Learn button and the lamp. The controller writes the values with
// `initializing` true; the lists report only what the user changes.
Item {
    id: root

    property string commandName: "Command"
    property QtObject midiStatusModel: null
    property int midiStatusIndex: -1
    property int channelIndex: -1
    property int midiNoteIndex: -1
    property bool learnedCommand: false
    property bool learningCommand: false
    property bool enabledCommand: true
    property bool initializing: true
    property list<int> columnWidths: []

    readonly property list<int> defaultColumnWidths: [125, 150, 75, 75, 100, 40]

    signal learnClicked()
    signal midiStatusChanged(int newStatus)
    signal channelChanged(int newChannel)
    signal noteChanged(int newNote)

    function columnWidth(column: int): int {
        return column < columnWidths.length ? columnWidths[column] : defaultColumnWidths[column];
    }

    VandTheme { id: theme }

    implicitWidth: cells.implicitWidth
    implicitHeight: 35
    width: implicitWidth
    height: implicitHeight

    // A list's own choice replaces its binding, so later values are handed
    // on here.
    onMidiStatusIndexChanged: statusList.currentIndex = midiStatusIndex
    onChannelIndexChanged: channelList.currentIndex = channelIndex
    onMidiNoteIndexChanged: noteList.currentIndex = midiNoteIndex

    Row {
        id: cells
        height: root.height

        Item {
            width: root.columnWidth(0)
            height: cells.height

            Text {
                objectName: "commandNameLabel"
                width: parent.width - 8
                anchors.verticalCenter: parent.verticalCenter
                text: root.commandName
                font: theme.default_font
                color: theme.default_text_color
                elide: Text.ElideRight
            }
        }

        Item {
            width: root.columnWidth(1)
            height: cells.height

            CustomComboBox {
                id: statusList
                objectName: "statusList"
                width: parent.width - 10
                height: 25
                anchors.verticalCenter: parent.verticalCenter
                model: root.midiStatusModel
                textRole: "displayname"
                valueRole: "value"
                currentIndex: root.midiStatusIndex
                enabled: root.enabledCommand

                onCurrentIndexChanged: root.midiStatusIndex = currentIndex
                onCurrentValueChanged: {
                    if (root.initializing)
                        return;
                    console.log("Selected " + currentIndex + ": " + currentValue);
                    root.midiStatusChanged(currentValue);
                }
            }
        }

        Item {
            width: root.columnWidth(2)
            height: cells.height

            CustomComboBox {
                id: channelList
                objectName: "channelList"
                width: parent.width - 10
                height: 25
                anchors.verticalCenter: parent.verticalCenter
                // Entry i stands for channel i - 1.
                model: Array.from({length: 16}, (_, i) => String(i + 1))
                currentIndex: root.channelIndex
                enabled: root.enabledCommand

                onCurrentIndexChanged: {
                    root.channelIndex = currentIndex;
                    if (!root.initializing)
                        root.channelChanged(currentIndex);
                }
            }
        }

        Item {
            width: root.columnWidth(3)
            height: cells.height

            CustomComboBox {
                id: noteList
                objectName: "noteList"
                width: parent.width - 10
                height: 25
                anchors.verticalCenter: parent.verticalCenter
                model: 128
                currentIndex: root.midiNoteIndex
                enabled: root.enabledCommand

                onCurrentIndexChanged: {
                    root.midiNoteIndex = currentIndex;
                    if (!root.initializing)
                        root.noteChanged(currentIndex);
                }
            }
        }

        Item {
            width: root.columnWidth(4)
            height: cells.height

            FlatButton {
                objectName: "learnButton"
                anchors.verticalCenter: parent.verticalCenter
                height: 30
                text: "Learn"
                enabled: root.enabledCommand
                onClicked: root.learnClicked()
            }
        }

        Item {
            width: root.columnWidth(5)
            height: cells.height

            Indicator {
                objectName: "commandLamp"
                anchors.centerIn: parent
                value: root.learnedCommand
                learning: root.learningCommand
            }
        }
    }
}
