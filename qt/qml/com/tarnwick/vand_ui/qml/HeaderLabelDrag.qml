import QtQuick

// Grip between two column headers. Dragged sideways it works out the width
// that the column left of it should take (`desiredWidth`, at least
// `minWidth`, at most 1024 while dragging) for the view to bind; it resizes
// nothing itself. The grip line is as tall as `statusItem` (less 4); without one
// there is no line.
Item {
    id: root

    property Item controlToLeft: null
    property Item controlToFarLeft: null
    property Item statusItem: null
    property int colSpacing: 3
    property int minWidth: 40
    property int desiredWidth: 40

    readonly property int maxDragWidth: 1024

    function updateWidth(splitterX, capped) {
        if (!controlToFarLeft)
            return;
        let columnWidth = splitterX - controlToFarLeft.x - controlToFarLeft.width - colSpacing + 1;
        columnWidth = Math.max(columnWidth, minWidth);
        if (capped)
            columnWidth = Math.min(columnWidth, maxDragWidth);
        desiredWidth = columnWidth;
    }

    y: 0
    width: 8

    // Right of the column's header, except while the user drags the grip:
    // the width worked out from the grip moves that header too.
    Binding on x {
        when: !dragArea.drag.active
        value: root.controlToLeft ? root.controlToLeft.x + root.controlToLeft.width + root.colSpacing : 0
        restoreMode: Binding.RestoreNone
    }

    onXChanged: {
        if (dragArea.drag.active) {
            dragArea.dropX = x;
            updateWidth(x, true);
        }
    }

    VandTheme { id: theme }

    Rectangle {
        objectName: "gripLine"
        x: 0
        y: 2
        width: 2
        height: root.statusItem ? Math.max(0, root.statusItem.height - 4) : 0
        color: theme.bevel_light_color
    }

    MouseArea {
        id: dragArea
        objectName: "dragArea"
        anchors.fill: parent
        cursorShape: Qt.SizeHorCursor
        drag.target: root
        drag.axis: Drag.XAxis
        drag.smoothed: false

        // Where the last drag left the grip; the width on release comes
        // from there, not from the header's place after the drag.
        property real dropX: NaN

        onPressed: dropX = NaN
        onReleased: root.updateWidth(isNaN(dropX) ? root.x : dropX, false)
    }
}
