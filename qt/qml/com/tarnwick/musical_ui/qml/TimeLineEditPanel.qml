import QtQuick
import com.tarnwick.vand_ui

// The main window's timeline panel.
Item {
    id: control
    objectName: "timeLineEditPanel"

    property alias timelineControl: timeline

    implicitHeight: timeline.height

    VandTheme { id: theme }

    TimeLine {
        id: timeline
        objectName: "timeline"
        width: control.width
        height: 220
        clip: true
    }

    BasicBevel {
        anchors.fill: timeline
    }
}
