import QtQuick
import com.tarnwick.vand_ui

// Round status lamp: sky blue while `learning`, otherwise the theme's on or
// off colour for `value`.
Rectangle {
    id: root

    VandTheme { id: theme }

    property bool value: false
    property bool learning: false
    property int size: 16

    width: size
    height: size
    radius: size / 2
    color: learning ? "#87CEEB" : (value ? theme.on_indicator_color : theme.off_indicator_color)
}
