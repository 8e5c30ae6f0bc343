import QtQuick
import QtQuick.Layouts

// Whole-number field between a "-" and a "+" button whose owner keeps the
// number: the buttons only report `decrementValue()` and `incrementValue()`,
// and the owner changes `intValue`, `value` and the buttons. Starts at
// `defaultValue`, the infinity sign unless given another.
Item {
    id: root

    property alias value: field.text
    property int intValue: 1
    property alias editable: field.editable
    property int from: 0
    property int to: 99
    // A number, or the infinity sign for "no limit" (then `intValue` is `from`).
    property var defaultValue: "∞"
    property bool underflowWithInfinite: false
    property bool dirty: false
    property alias inputWidth: field.implicitWidth
    property alias textIndent: field.textIndent
    property alias inputFocus: field.focus
    property alias decrementButton: decrement
    property alias incrementButton: increment

    signal decrementValue()
    signal incrementValue()
    signal editingFinished()
    signal textEdited()

    implicitWidth: row.implicitWidth + 2
    implicitHeight: 25

    function updateButtons() {
        decrement.enabled = intValue > from;
        increment.enabled = intValue < to;
    }

    onIntValueChanged: updateButtons()
    // Focus given to the spin box goes on into its text field.
    onActiveFocusChanged: if (activeFocus) field.forceActiveFocus()

    Component.onCompleted: {
        intValue = defaultValue === "∞" ? from : defaultValue;
        field.text = String(defaultValue);
        updateButtons();
    }

    RowLayout {
        id: row
        anchors.fill: parent
        spacing: 0

        FlatButton {
            id: decrement
            objectName: "decrementButton"
            text: "-"
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            onClicked: root.decrementValue()
        }

        RecessedTextInput {
            id: field
            objectName: "field"
            implicitWidth: 50
            horizontalAlignment: TextInput.AlignHCenter
            Layout.fillWidth: true
            Layout.preferredHeight: 25
            onEditingFinished: root.editingFinished()
            onTextEdited: root.textEdited()
        }

        FlatButton {
            id: increment
            objectName: "incrementButton"
            text: "+"
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            onClicked: root.incrementValue()
        }
    }
}
