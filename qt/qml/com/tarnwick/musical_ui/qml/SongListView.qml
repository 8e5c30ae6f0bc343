import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The playlist: one row per song with its number, attacca state icon and
// name. A click on a row reports it; a click on the state icon reports the
// song's number (without selecting the row).
Item {
    id: root

    property alias model: listView.model
    property alias currentIndex: listView.currentIndex
    readonly property int status_col_size: 60
    readonly property int song_num_col_width: 45
    readonly property int itemRowHeight: 25
    readonly property int headerRowHeight: 35

    signal itemClicked(int index)
    signal attaccaStateChanged(string song_number)
    signal currentItemChanged(int index)

    VandTheme { id: theme }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: theme.bevel_width
        spacing: 0

        Rectangle {
            objectName: "songListHeader"
            Layout.fillWidth: true
            Layout.preferredHeight: root.headerRowHeight
            color: theme.default_bg_color

            RowLayout {
                anchors.fill: parent
                spacing: 0

                Text {
                    text: "#"
                    color: theme.default_text_header_color
                    font: theme.default_font
                    horizontalAlignment: Text.AlignHCenter
                    Layout.preferredWidth: root.song_num_col_width
                }
                Text {
                    text: "State"
                    color: theme.default_text_header_color
                    font: theme.default_font
                    horizontalAlignment: Text.AlignHCenter
                    clip: true
                    Layout.preferredWidth: root.status_col_size
                }
                Text {
                    text: "Song Name"
                    color: theme.default_text_header_color
                    font: theme.default_font
                }
                Item {
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: theme.bevel_width
            color: theme.bevel_dark_color
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: theme.bevel_width
            color: theme.bevel_light_color
        }

        Flickable {
            objectName: "songListFlickable"
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: width
            contentHeight: height
            interactive: false

            ListView {
                id: listView
                objectName: "songListView"
                anchors.fill: parent
                clip: true
                highlightFollowsCurrentItem: false
                preferredHighlightBegin: 0
                preferredHighlightEnd: 80
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: CustomScrollBar {
                    objectName: "songListScrollBar"
                }
                model: ListModel {
                    ListElement { song_name: "Song One"; song_number: "1" }
                    ListElement { song_name: "Song Two"; song_number: "2" }
                }

                Rectangle {
                    z: -1
                    anchors.fill: parent
                    color: theme.default_bg_color
                }

                highlight: Rectangle {
                    objectName: "songListHighlight"
                    width: listView.currentItem ? listView.currentItem.width : 0
                    height: listView.currentItem ? listView.currentItem.height : 0
                    color: theme.default_selected_color
                    y: listView.currentItem ? listView.currentItem.y : 0
                    Behavior on y {
                        SmoothedAnimation { duration: 250 }
                    }
                }

                delegate: Item {
                    id: row

                    required property int index
                    required property var model
                    readonly property string status: model.status !== undefined ? model.status : ""

                    objectName: "songRow" + index
                    width: listView.width
                    height: root.itemRowHeight

                    MouseArea {
                        objectName: "songRowArea"
                        anchors.fill: parent
                        onClicked: {
                            listView.currentIndex = row.index;
                            console.log("index = " + row.index);
                            root.itemClicked(row.index);
                        }
                    }

                    RowLayout {
                        anchors.fill: parent
                        spacing: 0

                        Text {
                            objectName: "songNumber"
                            text: row.model.song_number
                            color: "white"
                            font: theme.default_font
                            horizontalAlignment: Text.AlignHCenter
                            Layout.preferredWidth: root.song_num_col_width
                        }
                        Image {
                            id: stateIcon
                            objectName: "stateIcon"
                            asynchronous: true
                            Layout.preferredWidth: root.status_col_size
                            Layout.preferredHeight: 20
                            fillMode: Image.PreserveAspectFit
                            antialiasing: true
                            sourceSize: "20x20"
                            source: row.status === "x" ? "qrc:/images/x.svg"
                                  : row.status === "continue" ? "qrc:/images/down.svg"
                                  : "qrc:/images/check.svg"

                            MouseArea {
                                id: stateArea
                                objectName: "stateArea"
                                anchors.fill: parent
                                hoverEnabled: true
                                onClicked: root.attaccaStateChanged(row.model.song_number)
                            }

                            VandToolTip {
                                objectName: "stateToolTip"
                                host: stateIcon
                                delay: 500
                                visible: stateArea.containsMouse
                                text: row.status === "x" ? "Skip song"
                                    : row.status === "continue" ? "Auto-play next song (attacca)"
                                    : "Play song when cued"
                            }
                        }
                        Text {
                            objectName: "songName"
                            text: row.model.song_name
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            maximumLineCount: 1
                            Layout.fillWidth: true
                            Layout.rightMargin: 40
                        }
                    }
                }
            }
        }
    }
}
