import QtQuick
import QtQuick.Controls.Basic

// Plain dark menu entry.
MenuItem {
    id: control

    VandTheme { id: theme }

    property alias menuText: label.text

    padding: 0

    background: Rectangle {
        color: Qt.darker(theme.default_bg_color, 1.1)
    }

    contentItem: Text {
        id: label
        color: "white"
        leftPadding: 10
        topPadding: 10
        font.pixelSize: theme.default_font.pixelSize
    }
}
