import QtQuick
import com.tarnwick.vand_ui

// The mixer's small outlined button for a mute or solo state. It shows
// `checked` and never changes it: a click only raises `clicked()`. A disabled
// button takes no click and does not light up.
Rectangle {
    id: control

    VandTheme { id: theme }

    property string text: "M"
    property bool makeSquare: true
    property int textPadding: 2
    property bool checked: false
    property string toolTipText: ""
    property color uncheckedColor: "#333333"
    property color controlColor: "#26a5de"
    readonly property color activeColor: enabled && checked ? controlColor : uncheckedColor
    readonly property color activeFillColor: !enabled ? "#333333" : (checked ? checkedFillColor : uncheckedFillColor)
    property color uncheckedFillColor: theme.default_bg_color
    property color checkedFillColor: Qt.darker(controlColor, 4)
    readonly property color activeFontColor: !enabled ? "dimgray" : (checked ? checkedFontColor : uncheckedFontColor)
    property color checkedFontColor: activeColor
    property color uncheckedFontColor: "gray"
    property bool hovered: false

    signal clicked()

    readonly property bool lit: hovered && enabled

    implicitWidth: makeSquare ? Math.max(label.implicitWidth, label.implicitHeight) + 2 * textPadding
                              : label.implicitWidth + 2 * textPadding
    implicitHeight: makeSquare ? implicitWidth : label.implicitHeight + 2 * textPadding
    radius: 4
    antialiasing: true
    color: lit ? Qt.lighter(activeFillColor, 1.25) : activeFillColor
    border.width: 1
    border.color: lit ? Qt.lighter(activeColor, 1.5) : activeColor

    onEnabledChanged: if (!enabled) hovered = false

    Text {
        id: label
        objectName: "label"
        anchors.fill: parent
        text: control.text
        font: theme.default_font
        color: control.lit ? Qt.lighter(control.activeFontColor, 1.5) : control.activeFontColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        wrapMode: Text.NoWrap
    }

    MouseArea {
        objectName: "mouseArea"
        anchors.fill: parent
        hoverEnabled: true
        enabled: control.enabled
        onEntered: control.hovered = true
        onExited: control.hovered = false
        onClicked: control.clicked()
    }

    VandToolTip {
        objectName: "toolTip"
        host: control
        delay: 500
        text: control.toolTipText
        visible: control.lit && control.toolTipText !== ""
    }
}
