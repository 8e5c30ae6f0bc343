import QtQuick

// Grip between two column headers. Dragged sideways it works out the width
// that the column left of it should take (`desiredWidth`, at least
// `minWidth`, at most 1024 while dragging) for the view to bind; it resizes
// nothing itself. The grip line is as tall as the view's `statusLabel`.
Item {
    id: root

    property Item controlToLeft: null
    property Item controlToFarLeft: null
    property int colSpacing: 3
    property int minWidth: 40
    property int desiredWidth: 40

    readonly property int maxDragWidth: 1024

    function updateWidth(capped) {
        if (!controlToFarLeft)
            return;
        let columnWidth = root.x - controlToFarLeft.x - controlToFarLeft.width - colSpacing + 1;
        columnWidth = Math.max(columnWidth, minWidth);
        if (capped)
            columnWidth = Math.min(columnWidth, maxDragWidth);
        desiredWidth = columnWidth;
    }

    x: controlToLeft ? controlToLeft.x + controlToLeft.width + colSpacing : 0
    y: 0
    width: 8

    onXChanged: if (dragArea.drag.active) updateWidth(true)

    VandTheme { id: theme }

    Rectangle {
        objectName: "gripLine"
        x: 0
        y: 2
        width: 2
        // A view without a `statusLabel` gets no line.
        height: typeof statusLabel !== "undefined" && statusLabel ? Math.max(0, statusLabel.height - 4) : 0
        color: theme.bevel_light_color
    }

    MouseArea {
        id: dragArea
        objectName: "dragArea"
        anchors.fill: parent
        cursorShape: Qt.SizeHorCursor
        drag.target: root
        drag.axis: Drag.XAxis
        onReleased: root.updateWidth(false)
    }
}
