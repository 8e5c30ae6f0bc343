import QtQuick
import QtQuick.Layouts

// Whole-number field between a "-" and a "+" button that keeps its own
// number within `from` … `to`. With `underflowWithInfinite` it may go one
// below `from`, shown as "Infinite". Typed text is read when the field loses
// the focus (Return only breaks the line).
Item {
    id: root

    property alias value: field.text
    property int intValue: 1
    property alias editable: field.editable
    property bool underflowWithInfinite: false
    property int from: 0
    property int to: 99

    // Asks for the field's text to be read; the field's editingFinished
    // raises it, an owner may too.
    signal validateInput()

    implicitWidth: 120
    implicitHeight: 25

    // Shows the number, or brings a number outside the range back into it.
    function showNumber() {
        if (!internal.completed)
            return;
        const infinite = underflowWithInfinite && intValue === from - 1;
        const number = infinite ? intValue : Math.min(to, Math.max(from, intValue));
        field.text = infinite ? internal.infiniteText : String(number);
        if (number !== intValue)
            intValue = number;
    }

    // Reads a leading whole number (sign and digits; what follows them is
    // ignored); text without one restores the number, or means Infinite.
    function readField() {
        const number = parseInt(field.text, 10);
        if (isNaN(number)) {
            if (underflowWithInfinite) {
                field.text = internal.infiniteText;
                intValue = from - 1;
            } else {
                field.text = String(intValue);
            }
            return;
        }
        const clamped = Math.min(to, Math.max(from, number));
        field.text = String(clamped);
        intValue = clamped;
    }

    onIntValueChanged: showNumber()
    onFromChanged: showNumber()
    onToChanged: showNumber()
    onUnderflowWithInfiniteChanged: showNumber()
    onValidateInput: readField()

    Component.onCompleted: {
        internal.completed = true;
        showNumber();
    }

    QtObject {
        id: internal
        property bool completed: false
        readonly property string infiniteText: qsTr("Infinite")
    }

    RowLayout {
        id: row
        anchors.fill: parent

        FlatButton {
            id: decrement
            objectName: "decrementButton"
            text: "-"
            enabled: root.intValue > root.from - (root.underflowWithInfinite ? 1 : 0)
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            onClicked: root.intValue -= 1
        }

        CustomTextInput {
            id: field
            objectName: "field"
            text: "1"
            horizontalAlignment: TextEdit.AlignHCenter
            Layout.preferredWidth: root.width - 50 - 4 * row.spacing
            Layout.preferredHeight: 25
            onEditingFinished: root.validateInput()
        }

        FlatButton {
            id: increment
            objectName: "incrementButton"
            text: "+"
            enabled: root.intValue < root.to
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            onClicked: root.intValue += 1
        }
    }
}
