import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// What the count dialogs (repeat, tempo, transpose, vamp) share: a range and
// one whole number in a spin box between `from` and `to`. The dialog keeps
// the number: OK and the end of typing bring the text into the range, the
// plus and minus buttons step it. With `infiniteAtZero` the number 0 is shown
// as the infinity sign, and any text that is not a number means 0.
// OK emits `countRequested` with the range and the number.
ToolDialog {
    id: root

    property alias countLabel: label.text
    property alias spinBox: spinBox
    property alias intValue: spinBox.intValue
    property alias value: spinBox.value
    property bool infiniteAtZero: false
    property int spinBoxWidth: 125

    readonly property string infinity: "\u221E"

    signal countRequested(string startBar, int startBeat, string endBar, int endBeat, int count)

    function enableIncrementButton() { spinBox.incrementButton.enabled = true; }
    function enableDecrementButton() { spinBox.decrementButton.enabled = true; }
    function disableIncrementButton() { spinBox.incrementButton.enabled = false; }
    function disableDecrementButton() { spinBox.decrementButton.enabled = false; }

    function numberText(number) {
        return infiniteAtZero && number === 0 ? infinity : String(number);
    }

    // The number a text stands for; NaN when it is not a number.
    function readNumber(text) {
        const trimmed = String(text).trim();
        const number = trimmed === "" ? NaN : Number(trimmed);
        return isFinite(number) ? Math.trunc(number) : NaN;
    }

    function showNumber(number) {
        spinBox.intValue = number;
        spinBox.value = numberText(number);
    }

    function validateInput() {
        const number = readNumber(spinBox.value);
        if (isNaN(number)) {
            if (infiniteAtZero) {
                showNumber(0);
                disableDecrementButton();
                enableIncrementButton();
            } else {
                spinBox.value = String(spinBox.intValue);
            }
            return;
        }
        if (number <= spinBox.from) {
            showNumber(spinBox.from);
            disableDecrementButton();
            enableIncrementButton();
        } else if (number >= spinBox.to) {
            showNumber(spinBox.to);
            enableDecrementButton();
            disableIncrementButton();
        } else {
            showNumber(number);
            enableDecrementButton();
            enableIncrementButton();
        }
    }

    function incrementValue() {
        if (infiniteAtZero && spinBox.value === infinity)
            showNumber(1);
        else
            showNumber(Math.min(spinBox.intValue + 1, spinBox.to));
        if (spinBox.intValue === spinBox.to)
            disableIncrementButton();
        enableDecrementButton();
    }

    function decrementValue() {
        if (infiniteAtZero && spinBox.value === "1") {
            showNumber(0);
        } else {
            showNumber(Math.max(spinBox.intValue - 1, spinBox.from));
        }
        if (spinBox.intValue === spinBox.from)
            disableDecrementButton();
        enableIncrementButton();
    }

    initialFocus: spinBox

    onAccepted: {
        validateInput();
        countRequested(panel.inBar, beatNumber(panel.inBeat), panel.outBar, beatNumber(panel.outBeat),
                       spinBox.intValue);
    }

    Text {
        id: label
        objectName: "countLabel"
        color: root.theme.default_text_color
        font.pixelSize: 14
        Layout.alignment: Qt.AlignHCenter
    }

    RecessedSpinBox {
        id: spinBox
        objectName: "countInput"
        textIndent: 0
        inputFocus: true
        Layout.alignment: Qt.AlignHCenter
        Layout.preferredWidth: root.spinBoxWidth
        onIncrementValue: root.incrementValue()
        onDecrementValue: root.decrementValue()
        onEditingFinished: root.validateInput()
    }
}
