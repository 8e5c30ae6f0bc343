import QtQuick
import QtQuick.Controls.Basic

// One-pixel separator line of VandCustomMenu.
MenuSeparator {
    VandTheme { id: theme }

    contentItem: Rectangle {
        implicitHeight: 1
        color: theme.light_border_color
    }

    background: Rectangle {
        implicitHeight: 8
        color: theme.lighter_bg_color_popup
    }
}
