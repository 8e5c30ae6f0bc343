import QtQuick

// Plain white multi-line field (Return inserts a line break); `editingFinished`
// comes when it loses the focus.
Rectangle {
    id: root

    property alias text: textEdit.text
    property alias editable: textEdit.enabled
    property alias horizontalAlignment: textEdit.horizontalAlignment

    signal editingFinished()

    color: "white"
    height: 25

    TextEdit {
        id: textEdit
        objectName: "textEdit"
        anchors.fill: parent
        anchors.leftMargin: 15
        anchors.rightMargin: 15
        color: "black"
        verticalAlignment: TextEdit.AlignVCenter
        selectByMouse: true

        onEditingFinished: root.editingFinished()
    }
}
