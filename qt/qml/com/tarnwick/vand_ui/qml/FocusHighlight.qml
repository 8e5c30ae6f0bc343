import QtQuick
import com.tarnwick.vand_ui as Vand

// Translucent overlay marking the control that holds keyboard focus. The host
// sizes it and binds `visible` to its own active focus.
Item {
    Rectangle {
        anchors.fill: parent
        color: Vand.VandThemeValues.default_selected_color_intense
        border.color: "transparent"
        border.width: 1
        opacity: 0.7
    }
}
