import QtQuick
import QtQuick.Controls.Basic

// Styled tooltip. Delay, timeout and placement are left to the host.
ToolTip {
    id: control

    VandTheme { id: theme }

    contentItem: Text {
        text: control.text
        font: theme.default_font
        color: theme.light_text_color
    }

    background: Rectangle {
        color: theme.lighter_bg_color_popup
        border.color: theme.light_border_color
    }
}
