import QtQuick
import QtQuick.Controls.Basic

// Selectable list showing the roles `first` and `second` of each row side by
// side.
ListView {
    id: list

    readonly property Item themeInstance: VandTheme { id: theme }

    property int rowHeight: 30
    property list<real> colWidths: [list.width * 0.5, list.width * 0.5]
    property real leftSpacerWidth: 10

    clip: true
    activeFocusOnTab: true
    highlightFollowsCurrentItem: true
    flickableDirection: Flickable.VerticalFlick

    Keys.onDownPressed: (event) => {
        if (list.currentIndex < list.count - 1)
            list.currentIndex = list.currentIndex + 1;
        event.accepted = true;
    }
    Keys.onUpPressed: (event) => {
        if (list.currentIndex > 0)
            list.currentIndex = list.currentIndex - 1;
        event.accepted = true;
    }

    // Background and focus frame cover the rows only, scrolling with them.
    Rectangle {
        objectName: "listBackground"
        parent: list.contentItem
        anchors.fill: parent
        z: -5
        color: Qt.lighter(theme.default_bg_color, 1.25)
    }

    Rectangle {
        objectName: "focusFrame"
        parent: list.contentItem
        anchors.fill: parent
        color: "transparent"
        border.width: 2
        border.color: theme.default_selected_color_intense
        opacity: 0.7
        visible: list.activeFocus
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
        required property string first
        required property string second
        readonly property bool isCurrent: ListView.isCurrentItem

        width: parent ? parent.width : 125
        height: list.rowHeight

        FocusHighlight {
            anchors.fill: parent
            visible: row.isCurrent && list.activeFocus
        }

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            onClicked: {
                list.currentIndex = row.index;
                list.forceActiveFocus();
            }
        }

        Row {
            Item {
                width: list.leftSpacerWidth
                height: 20
            }
            Text {
                width: list.colWidths[0]
                height: list.rowHeight
                text: row.first
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                font: theme.default_font
                color: row.isCurrent ? "white" : theme.default_text_color
            }
            Text {
                width: list.colWidths[1]
                height: list.rowHeight
                text: row.second
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                font: theme.default_font
                color: row.isCurrent ? "white" : theme.default_text_color
            }
        }
    }

    ScrollBar.vertical: CustomScrollBar {
        policy: ScrollBar.AlwaysOn
    }
}
