import QtQuick
import com.tarnwick.vand_ui as Vand

// Raised edge for a coloured rectangle: light on the top and left, dark on the
// right and just below. The shades follow the parent's `color`.
Item {
    id: bevel

    property int bevel_width: 1
    property color bevel_dark_color: Qt.lighter(bevel.parentColor, 0.9)
    property color bevel_light_color: Qt.lighter(bevel.parentColor, 1.3)
    property bool hide_left: false
    property bool hide_top: false
    property bool hide_bottom: false
    property alias bgcolor: background.color
    property alias bgvisible: background.visible

    // A parent without a colour gets transparent lines.
    readonly property color parentColor: colourOf(parent)

    // The colour of an item of any type that has one.
    function colourOf(item) {
        return item && item.color !== undefined ? item.color : "transparent";
    }

    anchors.fill: parent

    Rectangle {
        id: background
        anchors.fill: parent
        visible: false
    }

    Rectangle {
        x: bevel.width - Vand.VandThemeValues.bevel_width
        y: 0
        width: Vand.VandThemeValues.bevel_width
        height: bevel.height
        color: bevel.bevel_dark_color
    }
    Rectangle {
        x: 0
        y: 0
        width: Vand.VandThemeValues.bevel_width
        height: bevel.height
        color: bevel.bevel_light_color
        visible: !bevel.hide_left
    }
    Rectangle {
        x: 0
        y: 0
        width: bevel.width
        height: Vand.VandThemeValues.bevel_width
        color: bevel.bevel_light_color
        visible: !bevel.hide_top
    }
    Rectangle {
        x: 0
        y: bevel.height
        width: bevel.width
        height: bevel.bevel_width
        color: bevel.bevel_dark_color
        visible: !bevel.hide_bottom
    }
}
