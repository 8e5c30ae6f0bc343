import QtQuick

// The main window's timeline panel.
Item {
    property alias timelineControl: timeline

    TimeLine {
        id: timeline
        anchors.fill: parent
    }
}
