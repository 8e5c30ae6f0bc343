import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui

// A label over a one-line text field. The user's edits also raise
// `textChanged()`; `valueChanged()` follows every change of the field.
Item {
    id: root

    property alias text: label.text
    property alias value: input.text
    property alias theme: theme
    property alias field: input.field
    property alias hasFocus: root.focus
    property int spacing: 5
    property int fontSize: 16

    implicitHeight: label.implicitHeight + spacing + input.implicitHeight
    implicitWidth: label.implicitWidth + input.implicitWidth

    onFocusChanged: if (focus) input.field.forceActiveFocus()

    VandTheme { id: theme }

    Label {
        id: label
        objectName: "label"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        text: "Label"
        font.pixelSize: root.fontSize
        color: theme.default_text_color
    }

    RecessedTextInput {
        id: input
        objectName: "input"
        anchors.top: label.bottom
        anchors.topMargin: root.spacing
        anchors.left: parent.left
        anchors.right: parent.right
        onTextEdited: root.textChanged()
    }
}
