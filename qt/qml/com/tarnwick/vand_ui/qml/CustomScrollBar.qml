import QtQuick
import QtQuick.Controls.Basic

// Styled scroll bar: a dark 20 px track and a bevelled handle that lights up
// under the mouse.
ScrollBar {
    id: control

    VandTheme { id: theme }

    policy: ScrollBar.AlwaysOn

    background: Rectangle {
        implicitWidth: 20
        implicitHeight: control.height
        color: Qt.lighter(theme.default_bg_color, 0.7)
    }

    contentItem: Rectangle {
        color: control.hovered ? theme.default_selected_color : theme.lighter_bg_color_popup

        BasicBevel {}
    }
}
