pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The MIDI manager: the input and its lamp, and one row per player command.
// The controller fills `sourceModel` and places the rows in
// `commandColumnObject`. Closing only hides the window.
Window {
    id: root

    property list<string> sourceModel: []
    property int sourceIndex: 0
    property bool sourceStatus: false
    property alias commandColumnObject: commandColumn
    property bool showMSCOptions: false

    signal sourceSelected(int sourceIndex)

    VandTheme { id: theme }

    title: "MIDI Manager"
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color

    maximumWidth: 660
    minimumWidth: maximumWidth
    width: maximumWidth
    maximumHeight: content.implicitHeight + 32
    minimumHeight: maximumHeight
    height: maximumHeight

    FocusScope {
        id: frame
        x: 16
        y: 16
        width: root.width - 32
        height: root.height - 32
        focus: true

        Keys.onEscapePressed: root.close()

        ColumnLayout {
            id: content
            width: frame.width
            spacing: 16

            Rectangle {
                objectName: "sourceRow"
                Layout.fillWidth: true
                Layout.preferredHeight: 50
                color: Qt.lighter(theme.default_bg_color, 1.25)

                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    spacing: 12

                    Text {
                        text: "MIDI Source"
                        font: theme.default_font
                        color: theme.default_text_color
                    }

                    CustomComboBox {
                        id: sourceList
                        objectName: "sourceList"
                        Layout.preferredWidth: 250
                        Layout.preferredHeight: 30
                        model: root.sourceModel
                        currentIndex: root.sourceIndex

                        onActivated: (index) => {
                            root.sourceIndex = index;
                            sourceList.currentIndex = Qt.binding(() => root.sourceIndex);
                            root.sourceSelected(index);
                        }
                    }

                    Indicator {
                        objectName: "sourceLamp"
                        value: root.sourceStatus
                    }

                    Item { Layout.fillWidth: true }
                }
            }

            RowLayout {
                objectName: "mscRow"
                visible: root.showMSCOptions
                spacing: 12

                Text {
                    text: "MSC Device ID"
                    font: theme.default_font
                    color: theme.default_text_color
                }

                // Built only while the row is shown.
                Loader {
                    objectName: "mscDeviceId"
                    active: root.showMSCOptions
                    source: "qrc:/qt/qml/com/tarnwick/vand_ui/qml/CustomSpinBox.qml"
                    onLoaded: {
                        item.from = 0;
                        item.to = 127;
                        item.intValue = 78;
                    }
                }
            }

            Rectangle {
                objectName: "commandGrid"
                Layout.fillWidth: true
                Layout.preferredHeight: grid.implicitHeight + 16
                color: Qt.lighter(theme.default_bg_color, 1.25)

                Column {
                    id: grid

                    readonly property list<string> headerLabels: ["Command", "MIDI Status", "Channel", "Note",
                                                                  "Learn", "Status"]
                    readonly property list<int> headerWidths: [125, 150, 75, 75, 100, 40]

                    x: 8
                    y: 8
                    width: parent.width - 16

                    Row {
                        objectName: "commandHeader"
                        height: 30

                        Repeater {
                            model: grid.headerLabels.length

                            Text {
                                required property int index
                                width: grid.headerWidths[index]
                                height: 30
                                text: grid.headerLabels[index]
                                font: theme.heavy_label
                                color: theme.default_text_color
                                verticalAlignment: Text.AlignVCenter
                                horizontalAlignment: index === grid.headerLabels.length - 1 ? Text.AlignHCenter
                                                                                             : Text.AlignLeft
                            }
                        }
                    }

                    Column {
                        id: commandColumn
                        objectName: "commandColumn"
                    }
                }
            }

            FlatButton {
                objectName: "closeButton"
                Layout.alignment: Qt.AlignRight
                text: "Close"
                focus: true
                onClicked: root.close()
            }
        }
    }
}
