import QtQuick
import com.tarnwick.vand_ui

// Sunken multi-line text area: unwrapped lines, selectable with the mouse,
// the whole text selected when it gains the focus. `textEdited()` follows the
// user's changes only, not those made through `text`.
Rectangle {
    id: root

    property string text: ""
    property alias editable: textEdit.enabled
    property alias horizontalAlignment: textEdit.horizontalAlignment
    property alias textIndent: textEdit.anchors.leftMargin

    signal editingFinished()
    signal textEdited()

    color: "transparent"
    implicitWidth: textEdit.implicitWidth
    implicitHeight: textEdit.implicitHeight

    // Straight into the text, so that the text does not lose the focus to
    // the area on the way (which would end its editing).
    function forceActiveFocus() {
        textEdit.forceActiveFocus();
    }

    // Focus given to the area itself goes on into the text.
    onActiveFocusChanged: if (activeFocus && !textEdit.activeFocus) textEdit.forceActiveFocus()

    VandTheme { id: theme }

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        color: Qt.lighter(theme.default_bg_color, 1.25)

        RecessedBevel {}
    }

    TextEdit {
        id: textEdit
        objectName: "textEdit"
        anchors.fill: parent
        anchors.leftMargin: 0
        text: root.text
        color: theme.default_text_color
        font: theme.default_font
        verticalAlignment: TextEdit.AlignTop
        wrapMode: TextEdit.NoWrap
        clip: true
        selectByMouse: true
        focus: true

        onActiveFocusChanged: if (activeFocus) selectAll()
        onEditingFinished: root.editingFinished()
        onTextChanged: {
            if (text !== root.text) {
                root.text = text;
                root.textEdited();
            }
        }
    }
}
