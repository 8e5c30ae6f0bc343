import QtQuick

// The current song's timeline. Selection in pixels at zoom 1; 25 ticks per
// pixel at zoom 1.
Item {
    id: root

    property int selectionStart: 0
    property int selectionEnd: 0
    property bool selectionActive: false
    property double viewScale: 1.0
    property Item playheadItem: playhead

    function calculateScaledPosition(position) {
        return position / viewScale * 25
    }

    function zoomin(delta, doAnimation) {
    }

    function zoomout(delta, doAnimation) {
    }

    Item {
        id: playhead
    }
}
