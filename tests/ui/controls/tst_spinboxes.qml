import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    VandTheme { id: theme }

    Component {
        id: customComponent
        CustomSpinBox {
            x: 10
            y: 10
            width: 150
            from: 0
            to: 127
            intValue: 78
        }
    }

    Component {
        id: recessedComponent
        RecessedSpinBox {
            x: 10
            y: 60
        }
    }

    // Takes the focus away from a field, which ends its editing.
    FlatButton {
        id: elsewhere
        x: 10
        y: 250
        text: "Elsewhere"
    }

    TestCase {
        name: "SpinBoxes"
        when: windowShown

        function makeCustom(properties) {
            const spin = createTemporaryObject(customComponent, top, properties || {});
            verify(spin !== null);
            return spin;
        }

        function textEdit(spin) {
            return findChild(findChild(spin, "field"), "textEdit");
        }

        // Replaces the field's text as a user would and leaves the field.
        function typeAndLeave(spin, text) {
            const edit = textEdit(spin);
            edit.forceActiveFocus();
            edit.selectAll();
            keyClick(Qt.Key_Delete);
            for (const ch of text)
                keyClick(ch);
            elsewhere.forceActiveFocus();
        }

        function test_typed_text_data() {
            return [
                { tag: "above the range", infinite: false, typed: "500", text: "127", number: 127 },
                { tag: "below the range", infinite: false, typed: "-5", text: "0", number: 0 },
                { tag: "leading number", infinite: false, typed: "12abc", text: "12", number: 12 },
                { tag: "plus sign", infinite: false, typed: "+7", text: "7", number: 7 },
                { tag: "letters only", infinite: false, typed: "abc", text: "78", number: 78 },
                { tag: "empty", infinite: false, typed: "", text: "78", number: 78 },
                { tag: "letters only, infinite", infinite: true, typed: "abc", text: "Infinite", number: -1 },
                { tag: "number, infinite", infinite: true, typed: "-1", text: "0", number: 0 },
            ];
        }

        function test_typed_text(data) {
            const spin = makeCustom({ underflowWithInfinite: data.infinite });
            typeAndLeave(spin, data.typed);
            compare(spin.value, data.text);
            compare(spin.intValue, data.number);
        }

        // The field is multi-line: Return breaks the line, and the text is
        // read only when the field loses the focus.
        function test_validation_on_focus_loss_not_on_return() {
            const spin = makeCustom();
            const edit = textEdit(spin);
            edit.forceActiveFocus();
            edit.selectAll();
            keyClick(Qt.Key_Delete);
            keyClick("5");
            keyClick("0");
            keyClick("0");
            keyClick(Qt.Key_Return);
            verify(edit.activeFocus);
            compare(spin.intValue, 78);
            elsewhere.forceActiveFocus();
            compare(spin.intValue, 127);
            compare(spin.value, "127");
        }

        function test_owner_forces_validation() {
            const spin = makeCustom();
            textEdit(spin).text = "3x";
            spin.validateInput();
            compare(spin.intValue, 3);
            compare(spin.value, "3");
        }

        function test_buttons_at_the_ends_data() {
            return [
                { tag: "at from", infinite: false, start: 0, clicks: [], number: 0, text: "0", minus: false, plus: true },
                { tag: "at to", infinite: false, start: 127, clicks: [], number: 127, text: "127", minus: true, plus: false },
                { tag: "plus to to", infinite: false, start: 126, clicks: ["+"], number: 127, text: "127", minus: true, plus: false },
                { tag: "minus to from", infinite: false, start: 1, clicks: ["-"], number: 0, text: "0", minus: false, plus: true },
                { tag: "minus at from enters Infinite", infinite: true, start: 0, clicks: ["-"], number: -1,
                  text: "Infinite", minus: false, plus: true },
                { tag: "plus leaves Infinite", infinite: true, start: 0, clicks: ["-", "+"], number: 0, text: "0",
                  minus: true, plus: true },
            ];
        }

        function test_buttons_at_the_ends(data) {
            const spin = makeCustom({ underflowWithInfinite: data.infinite, intValue: data.start });
            const minus = findChild(spin, "decrementButton");
            const plus = findChild(spin, "incrementButton");
            for (const c of data.clicks)
                mouseClick(c === "-" ? minus : plus);
            compare(spin.intValue, data.number);
            compare(spin.value, data.text);
            compare(minus.enabled, data.minus);
            compare(plus.enabled, data.plus);
        }

        function test_double_click_steps_twice() {
            const spin = makeCustom();
            mouseDoubleClickSequence(findChild(spin, "incrementButton"));
            compare(spin.intValue, 80);
        }

        function test_number_set_from_outside_data() {
            return [
                { tag: "above to", infinite: false, set: 500, number: 127, text: "127" },
                { tag: "below from", infinite: false, set: -3, number: 0, text: "0" },
                { tag: "one below from, infinite", infinite: true, set: -1, number: -1, text: "Infinite" },
                { tag: "two below from, infinite", infinite: true, set: -2, number: 0, text: "0" },
                { tag: "inside", infinite: false, set: 64, number: 64, text: "64" },
            ];
        }

        function test_number_set_from_outside(data) {
            const spin = makeCustom({ underflowWithInfinite: data.infinite });
            spin.intValue = data.set;
            compare(spin.intValue, data.number);
            compare(spin.value, data.text);
        }

        function test_created_out_of_range() {
            const spin = makeCustom({ intValue: 300 });
            compare(spin.intValue, 127);
            compare(spin.value, "127");
            verify(!findChild(spin, "incrementButton").enabled);
        }

        function test_layout() {
            const spin = makeCustom();
            compare(spin.height, 25);
            const field = findChild(spin, "field");
            compare(field.height, 25);
            compare(findChild(spin, "decrementButton").width, 25);
            compare(findChild(spin, "incrementButton").width, 25);
            const row = field.parent;
            compare(field.width, spin.width - 50 - 4 * row.spacing);
        }

        function makeRecessed(properties) {
            const spin = createTemporaryObject(recessedComponent, top, properties || {});
            verify(spin !== null);
            return spin;
        }

        function test_recessed_start_data() {
            return [
                { tag: "infinity by default", props: { from: 0, to: 500 }, text: "∞", number: 0,
                  minus: false, plus: true },
                { tag: "infinity above zero", props: { from: 1, to: 500 }, text: "∞", number: 1,
                  minus: false, plus: true },
                { tag: "a default number", props: { from: 1, to: 500, defaultValue: 2 }, text: "2", number: 2,
                  minus: true, plus: true },
                { tag: "default at to", props: { from: -6, to: 6, defaultValue: 6 }, text: "6", number: 6,
                  minus: true, plus: false },
            ];
        }

        function test_recessed_start(data) {
            const spin = makeRecessed(data.props);
            compare(spin.value, data.text);
            compare(spin.intValue, data.number);
            compare(spin.decrementButton.enabled, data.minus);
            compare(spin.incrementButton.enabled, data.plus);
        }

        function test_recessed_buttons_only_report() {
            const spin = makeRecessed({ from: 1, to: 500, defaultValue: 2 });
            const incSpy = createTemporaryObject(spyComponent, top, { target: spin, signalName: "incrementValue" });
            const decSpy = createTemporaryObject(spyComponent, top, { target: spin, signalName: "decrementValue" });
            mouseClick(spin.incrementButton);
            mouseClick(spin.incrementButton);
            mouseClick(spin.decrementButton);
            compare(incSpy.count, 2);
            compare(decSpy.count, 1);
            compare(spin.intValue, 2);
            compare(spin.value, "2");
        }

        function test_recessed_owner_changes_the_number() {
            const spin = makeRecessed({ from: 1, to: 3, defaultValue: 2 });
            spin.incrementValue.connect(() => { spin.intValue += 1; spin.value = String(spin.intValue); });
            mouseClick(spin.incrementButton);
            compare(spin.value, "3");
            verify(!spin.incrementButton.enabled);
            verify(spin.decrementButton.enabled);
        }

        function test_recessed_sizes_and_focus() {
            const spin = makeRecessed({ inputWidth: 45, textIndent: 0 });
            compare(spin.height, 25);
            compare(spin.width, 25 + 45 + 25 + 2);
            compare(findChild(spin, "field").textIndent, 0);
            const finished = createTemporaryObject(spyComponent, top, { target: spin, signalName: "editingFinished" });
            spin.inputFocus = true;
            tryVerify(() => findChild(spin, "field").field.activeFocus);
            compare(findChild(spin, "field").field.selectedText, "∞");
            mouseClick(spin.incrementButton);
            compare(finished.count, 1);
            verify(!spin.dirty);
            verify(!spin.underflowWithInfinite);
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }
}
