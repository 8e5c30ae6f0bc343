import QtQuick
import QtQuick.Layouts
import QtQuick.Controls
import com.tarnwick.vand_ui

// The current song's change-log events: an icon and the columns In, Out,
// Type and Value. A click makes the row current and reports it; a double
// click asks to edit the row's event (an OSC event only while OSC is on).
Item {
    id: root

    property alias model: listView.model
    property alias currentIndex: listView.currentIndex
    property list<string> headerNames: ["", "In", "Out", "Type", "Value"]
    property list<real> headerWidths: [0.07, 0.22, 0.22, 0.19, 0.3]
    readonly property int itemRowHeight: 25
    readonly property int headerRowHeight: 35
    property int headerBarWidth: listView.width - scrollBar.width - 10
    property bool enableOsc: true

    signal currentItemChanged(int index)
    signal editSelectedItem()

    // The icon of a type text; "" for a type without one.
    function getSourceImage(type) {
        switch (type) {
        case "Caesura": return "qrc:/images/caesura.svg";
        case "Click": return "qrc:/images/click_event.svg";
        case "Cut": return "qrc:/images/cut.svg";
        case "Fermata":
        case "Skip": return "qrc:/images/fermata_event.svg";
        case "Repeat": return "qrc:/images/repeat_event.svg";
        case "Tempo":
        case "TempoScale": return "qrc:/images/tempo_event.svg";
        case "Vamp": return "qrc:/images/vamp_event.svg";
        case "Transpose": return "qrc:/images/transpose_event.svg";
        case "Sfx": return "qrc:/images/sfx.svg";
        case "Ambient Sfx": return "qrc:/images/ambient_audio_event.svg";
        case "OSC": return "qrc:/images/lan.svg";
        default: return "";
        }
    }

    VandTheme { id: theme }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: theme.bevel_width
        spacing: 0

        Rectangle {
            objectName: "eventListHeader"
            Layout.fillWidth: true
            Layout.preferredHeight: root.headerRowHeight
            color: theme.default_bg_color

            Row {
                anchors.fill: parent
                Repeater {
                    model: root.headerNames.length
                    Text {
                        required property int index
                        objectName: "eventHeader" + index
                        width: Math.floor(root.headerWidths[index] * root.headerBarWidth)
                        height: parent.height
                        text: root.headerNames[index]
                        color: theme.default_text_header_color
                        font: theme.default_font
                        horizontalAlignment: Text.AlignLeft
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: theme.bevel_width
            color: theme.bevel_dark_color
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.ArrowCursor
            }
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: theme.bevel_width
            color: theme.bevel_light_color
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.ArrowCursor
            }
        }

        Flickable {
            objectName: "eventListFlickable"
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: width
            contentHeight: height
            interactive: false

            ListView {
                id: listView
                objectName: "eventListView"
                anchors.fill: parent
                clip: true
                highlightFollowsCurrentItem: false
                preferredHighlightBegin: 0
                preferredHighlightEnd: 80
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: CustomScrollBar {
                    id: scrollBar
                    objectName: "eventListScrollBar"
                    policy: ScrollBar.AlwaysOn
                }

                onCurrentItemChanged: root.currentItemChanged(listView.currentIndex)

                Rectangle {
                    z: -1
                    anchors.fill: parent
                    color: theme.default_bg_color
                }

                highlight: Rectangle {
                    objectName: "eventListHighlight"
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
                    required property string type
                    required property string count
                    required property var model

                    objectName: "eventRow" + index
                    x: 10
                    width: listView.width
                    height: root.itemRowHeight

                    Row {
                        anchors.fill: parent
                        spacing: 0

                        Item {
                            width: Math.floor(root.headerWidths[0] * root.headerBarWidth)
                            height: parent.height
                            Image {
                                objectName: "eventIcon"
                                anchors.centerIn: parent
                                height: inText.implicitHeight
                                width: parent.width
                                fillMode: Image.PreserveAspectFit
                                smooth: true
                                source: root.getSourceImage(row.type)
                                // The cell sets its size: loaded off the GUI thread.
                                asynchronous: true
                            }
                        }
                        Text {
                            id: inText
                            objectName: "eventIn"
                            width: Math.floor(root.headerWidths[1] * root.headerBarWidth)
                            height: parent.height
                            text: row.model["in"]
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            verticalAlignment: Text.AlignVCenter
                        }
                        Text {
                            objectName: "eventOut"
                            width: Math.floor(root.headerWidths[2] * root.headerBarWidth)
                            height: parent.height
                            text: row.model.out
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            verticalAlignment: Text.AlignVCenter
                        }
                        Text {
                            objectName: "eventType"
                            width: Math.floor(root.headerWidths[3] * root.headerBarWidth)
                            height: parent.height
                            text: row.type
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            verticalAlignment: Text.AlignVCenter
                        }
                        Text {
                            objectName: "eventValue"
                            width: root.headerWidths[4] * root.headerBarWidth - scrollBar.width
                            height: parent.height
                            text: row.count
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            verticalAlignment: Text.AlignVCenter
                        }
                    }

                    MouseArea {
                        objectName: "eventRowArea"
                        anchors.fill: parent
                        onClicked: {
                            listView.currentIndex = row.index;
                            root.currentItemChanged(row.index);
                        }
                        onDoubleClicked: {
                            if (row.type !== "OSC" || root.enableOsc)
                                root.editSelectedItem();
                        }
                    }
                }
            }
        }
    }
}
