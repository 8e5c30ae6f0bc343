import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// One list of change-log versions under its title: the roles "version" and
// "modified" of `model` in two columns. A click selects a row and reports the
// list's side through listHasFocus.
Item {
    id: root

    VandTheme { id: theme }

    property bool isLocal: true
    property alias model: list.model
    property alias index: list.currentIndex
    property list<string> titles: ["Log Version", "Modified"]
    property int rowHeight: 30
    property list<real> colWidths: [list.width * 0.35, list.width * 0.65]
    property real leftSpacerWidth: 10
    property alias title: titleText.text

    signal listHasFocus(bool isLocal)

    function isSelected(): bool {
        return root.index > -1;
    }

    Component.onCompleted: list.currentIndex = -1

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 5

        Text {
            id: titleText
            objectName: "listTitle"
            Layout.alignment: Qt.AlignHCenter
            font.pixelSize: 16
            color: "white"
        }

        Item {
            objectName: "header"
            Layout.fillWidth: true
            Layout.preferredHeight: 20

            Row {
                spacing: 1
                height: root.rowHeight

                Item {
                    width: root.leftSpacerWidth
                    height: 20
                }

                Repeater {
                    model: root.titles.length

                    Text {
                        required property int index
                        objectName: "headerLabel" + index
                        width: root.colWidths[index]
                        text: root.titles[index]
                        font.pixelSize: 14
                        font.bold: true
                        color: theme.default_text_header_color
                    }
                }
            }
        }

        ListView {
            id: list
            objectName: "listView"
            Layout.fillWidth: true
            Layout.fillHeight: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            clip: true
            highlightFollowsCurrentItem: true
            highlightMoveDuration: 250

            // A new model starts without a selection too (the view would pick
            // its first row).
            onModelChanged: list.currentIndex = -1

            Rectangle {
                parent: list
                anchors.fill: parent
                z: -1
                color: Qt.lighter(theme.default_bg_color, 1.25)
            }

            highlight: Rectangle {
                width: list.currentItem ? list.currentItem.width : 0
                height: list.currentItem ? list.currentItem.height : 0
                color: theme.default_selected_color
                y: list.currentItem ? list.currentItem.y : 0
                Behavior on y {
                    SmoothedAnimation { duration: 250 }
                }
            }

            delegate: Item {
                id: row

                required property int index
                required property string version
                required property string modified
                readonly property bool isCurrent: ListView.isCurrentItem

                objectName: "row" + index
                width: parent ? list.width : 50
                height: root.rowHeight

                MouseArea {
                    objectName: "rowMouseArea"
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton
                    onClicked: {
                        list.currentIndex = row.index;
                        root.listHasFocus(root.isLocal);
                    }
                }

                Row {
                    Item {
                        width: root.leftSpacerWidth
                        height: root.rowHeight
                    }
                    Text {
                        objectName: "versionText"
                        width: root.colWidths[0]
                        height: root.rowHeight
                        text: row.version
                        font.pixelSize: 14
                        elide: Text.ElideRight
                        verticalAlignment: Text.AlignVCenter
                        color: row.isCurrent ? "white" : theme.default_text_color
                    }
                    Text {
                        objectName: "modifiedText"
                        width: root.colWidths[1]
                        height: root.rowHeight
                        text: row.modified
                        font.pixelSize: 14
                        elide: Text.ElideRight
                        verticalAlignment: Text.AlignVCenter
                        color: row.isCurrent ? "white" : theme.default_text_color
                    }
                }
            }

            ScrollBar.vertical: ScrollBar {
                id: scrollBar
                objectName: "scrollBar"
                readonly property bool overflows: list.contentHeight > list.height

                policy: overflows ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
                visible: overflows

                background: Rectangle {
                    implicitWidth: 20
                    implicitHeight: scrollBar.height
                    color: Qt.lighter(theme.default_bg_color, 0.7)
                }

                contentItem: Rectangle {
                    implicitWidth: 6
                    implicitHeight: 100
                    color: scrollBar.hovered ? theme.default_bg_color : Qt.lighter(theme.default_bg_color, 0.90)

                    BasicBevel {}
                }
            }
        }
    }
}
