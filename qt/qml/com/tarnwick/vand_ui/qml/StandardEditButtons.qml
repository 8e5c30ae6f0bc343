import QtQuick
import QtQuick.Layouts

// Cancel and OK of an edit dialog. Escape means Cancel and Return means OK,
// also while either button has the focus; the keypad Enter is left alone.
Item {
    id: root

    property alias okButton: okButton
    property alias cancelButton: cancelButton

    signal okayClicked()
    signal cancelClicked()

    implicitWidth: row.implicitWidth
    implicitHeight: cancelButton.implicitHeight

    Keys.onEscapePressed: root.cancelClicked()
    Keys.onReturnPressed: root.okayClicked()

    RowLayout {
        id: row
        anchors.fill: parent
        spacing: 20

        Rectangle {
            color: "transparent"
            Layout.fillWidth: true
        }

        FlatButton {
            id: cancelButton
            objectName: "cancelButton"
            text: qsTr("Cancel")
            Layout.alignment: Qt.AlignRight
            Layout.preferredWidth: 80
            onClicked: root.cancelClicked()
            // A button's own key handling must not swallow the row's keys.
            Keys.onEscapePressed: root.cancelClicked()
            Keys.onReturnPressed: root.okayClicked()

            FocusHighlight {
                anchors.fill: parent
                visible: cancelButton.activeFocus
            }
        }

        FlatButton {
            id: okButton
            objectName: "okButton"
            text: qsTr("OK")
            isDefault: true
            Layout.alignment: Qt.AlignRight
            Layout.preferredWidth: cancelButton.width
            onClicked: root.okayClicked()
            Keys.onEscapePressed: root.cancelClicked()
            Keys.onReturnPressed: root.okayClicked()

            FocusHighlight {
                anchors.fill: parent
                visible: okButton.activeFocus
            }
        }
    }
}
