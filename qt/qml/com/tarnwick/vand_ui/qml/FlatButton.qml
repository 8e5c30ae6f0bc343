import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui as Vand

// Flat push button of the dialogs and windows. `isDefault` marks the
// confirming button of a dialog.
Button {
    id: control

    property bool isDefault: false
    property color normalColor: isDefault ? "#26a5de" : "#525252"
    property color hoverColor: Qt.lighter(normalColor, 1.25)
    property color activeColor: Qt.lighter(normalColor, 0.64)
    property color backgroundColorToUse: enabled ? normalColor : Qt.lighter("#525252", .8)
    property alias toolTip: toolTipItem

    font: Vand.VandThemeValues.default_font
    padding: 0
    implicitHeight: 25
    implicitWidth: label.implicitWidth + 25
    focusPolicy: Qt.StrongFocus

    contentItem: Text {
        id: label
        text: control.text
        font: control.font
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideNone
        color: !control.enabled ? Qt.lighter("silver") : (control.down ? "silver" : "white")
        opacity: control.enabled ? 1.0 : 0.3
    }

    background: Rectangle {
        radius: 3
        color: control.enabled && (control.hovered || control.activeFocus)
               ? (control.down ? control.activeColor : control.hoverColor)
               : control.backgroundColorToUse
    }

    FocusHighlight {
        anchors.fill: parent
        visible: control.activeFocus
    }

    VandToolTip {
        id: toolTipItem
        host: control
        delay: 500
        visible: control.hovered && text !== ""
    }
}
