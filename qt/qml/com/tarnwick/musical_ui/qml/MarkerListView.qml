import QtQuick
import QtQuick.Layouts
import QtQuick.Controls
import com.tarnwick.vand_ui

// The current song's markers by position: name and location. The row of the
// marker passed last is shaded. A click makes the row current and reports
// it (itemClicked, then currentItemChanged); a double click asks to edit it.
Item {
    id: root

    property alias model: listView.model
    property alias currentIndex: listView.currentIndex
    property int passedIndex: -1
    property int marker_loc_col_width: 100
    readonly property int itemRowHeight: 25
    readonly property int headerRowHeight: 35

    signal currentItemChanged(int index)
    signal editSelectedItem()
    signal itemClicked()

    VandTheme { id: theme }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: theme.bevel_width
        spacing: 0

        Rectangle {
            objectName: "markerListHeader"
            Layout.fillWidth: true
            Layout.preferredHeight: root.headerRowHeight
            color: theme.default_bg_color

            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 10
                spacing: 0

                Text {
                    text: "Marker Name"
                    color: theme.default_text_header_color
                    font: theme.default_font
                    horizontalAlignment: Text.AlignLeft
                    verticalAlignment: Text.AlignVCenter
                    Layout.fillWidth: true
                }
                Text {
                    text: "Location"
                    color: theme.default_text_header_color
                    font: theme.default_font
                    horizontalAlignment: Text.AlignLeft
                    verticalAlignment: Text.AlignVCenter
                    clip: true
                    Layout.preferredWidth: root.marker_loc_col_width
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
            objectName: "markerListFlickable"
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: width
            contentHeight: height
            interactive: false

            ListView {
                id: listView
                objectName: "markerListView"
                anchors.fill: parent
                clip: true
                highlightFollowsCurrentItem: false
                preferredHighlightBegin: 0
                preferredHighlightEnd: 80
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: CustomScrollBar {
                    objectName: "markerListScrollBar"
                    policy: ScrollBar.AlwaysOn
                }

                onCurrentItemChanged: root.currentItemChanged(listView.currentIndex)

                Rectangle {
                    z: -1
                    anchors.fill: parent
                    color: theme.default_bg_color
                }

                highlight: Rectangle {
                    objectName: "markerListHighlight"
                    width: listView.currentItem ? listView.currentItem.width : 0
                    height: listView.currentItem ? listView.currentItem.height : 0
                    color: Qt.lighter(theme.default_selected_color, 1.1)
                    y: listView.currentItem ? listView.currentItem.y : 0
                    Behavior on y {
                        SmoothedAnimation { duration: 250 }
                    }
                }

                delegate: Item {
                    id: row

                    required property int index
                    required property string name
                    required property string location

                    objectName: "markerRow" + index
                    x: 10
                    width: listView.width
                    height: root.itemRowHeight

                    Rectangle {
                        objectName: "passedShade"
                        anchors.fill: parent
                        color: row.index === root.passedIndex && row.index !== listView.currentIndex
                               ? Qt.darker(theme.default_selected_color, 1.3) : "transparent"
                    }

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 10
                        spacing: 1

                        Text {
                            id: nameText
                            objectName: "markerName"
                            text: row.name
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            verticalAlignment: Text.AlignVCenter
                            Layout.fillWidth: true

                            MouseArea {
                                id: nameArea
                                anchors.fill: parent
                                hoverEnabled: true
                                acceptedButtons: Qt.NoButton
                            }
                            ToolTip.text: row.name
                            ToolTip.visible: nameArea.containsMouse && nameText.truncated
                            ToolTip.delay: 1000
                            ToolTip.timeout: 5000
                        }
                        Text {
                            id: locationText
                            objectName: "markerLocation"
                            text: row.location
                            color: "white"
                            font: theme.default_font
                            elide: Text.ElideRight
                            maximumLineCount: 1
                            verticalAlignment: Text.AlignVCenter
                            Layout.preferredWidth: root.marker_loc_col_width
                            Layout.preferredHeight: root.itemRowHeight

                            MouseArea {
                                id: locationArea
                                anchors.fill: parent
                                hoverEnabled: true
                                acceptedButtons: Qt.NoButton
                            }
                            ToolTip.text: row.location
                            ToolTip.visible: locationArea.containsMouse && locationText.truncated
                            ToolTip.delay: 1000
                            ToolTip.timeout: 5000
                        }
                    }

                    MouseArea {
                        objectName: "markerRowArea"
                        anchors.fill: parent
                        onClicked: {
                            listView.currentIndex = row.index;
                            root.itemClicked();
                            root.currentItemChanged(listView.currentIndex);
                        }
                        onDoubleClicked: root.editSelectedItem()
                    }
                }
            }
        }
    }
}
