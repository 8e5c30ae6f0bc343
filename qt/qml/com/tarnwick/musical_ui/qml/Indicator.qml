import QtQuick

// Round status lamp: sky blue while `learning`, otherwise the theme's on or
// off colour for `value`. Reads `theme` from the view that places it.
Rectangle {
    id: root

    property bool value: false
    property bool learning: false
    property int size: 16

    width: size
    height: size
    radius: size / 2
    color: learning ? "#87CEEB" : (value ? theme.on_indicator_color : theme.off_indicator_color)
}
