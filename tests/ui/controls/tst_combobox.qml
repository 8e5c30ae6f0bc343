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
        id: comboComponent
        CustomComboBox {
            x: 10
            y: 10
            width: 150
            model: ["alpha", "beta", "gamma", "delta"]
            currentIndex: 1
        }
    }

    SignalSpy { id: activatedSpy; signalName: "activated" }
    SignalSpy { id: enterSpy; signalName: "enterPressed" }

    TestCase {
        name: "CustomComboBox"
        when: windowShown

        function makeCombo(properties) {
            const combo = createTemporaryObject(comboComponent, top, properties || {});
            verify(combo !== null);
            // Park the pointer where no list row can open under it: a row
            // entered by the pointer clears the arrow-key selection.
            mouseMove(top, top.width - 1, top.height - 1);
            activatedSpy.clear();
            activatedSpy.target = combo;
            enterSpy.clear();
            enterSpy.target = combo;
            combo.comboControl.forceActiveFocus();
            verify(combo.comboControl.activeFocus);
            return combo;
        }

        function list(combo) {
            return combo.choices.contentItem;
        }

        function openList(combo) {
            keyClick(Qt.Key_Space);
            tryVerify(() => combo.choices.opened);
            const view = list(combo);
            tryVerify(() => view.count === combo.count);
            view.forceLayout();
        }

        function test_keys_data() {
            return [
                { tag: "closed Space opens", open: false, before: [], key: Qt.Key_Space,
                  isOpen: true, index: 1, activated: 0, enter: 0 },
                { tag: "closed Return", open: false, before: [], key: Qt.Key_Return,
                  isOpen: false, index: 1, activated: 0, enter: 1 },
                { tag: "closed Enter", open: false, before: [], key: Qt.Key_Enter,
                  isOpen: false, index: 1, activated: 0, enter: 1 },
                { tag: "closed Up", open: false, before: [], key: Qt.Key_Up,
                  isOpen: false, index: 1, activated: 0, enter: 0 },
                { tag: "closed Down", open: false, before: [], key: Qt.Key_Down,
                  isOpen: false, index: 1, activated: 0, enter: 0 },
                { tag: "open Space picks silently", open: true, before: [Qt.Key_Down], key: Qt.Key_Space,
                  isOpen: false, index: 2, activated: 0, enter: 0 },
                { tag: "open Return picks", open: true, before: [Qt.Key_Down], key: Qt.Key_Return,
                  isOpen: false, index: 2, activated: 1, enter: 0 },
                { tag: "open Enter unchanged still activates", open: true, before: [], key: Qt.Key_Enter,
                  isOpen: false, index: 1, activated: 1, enter: 0 },
                { tag: "open Up moves the list only", open: true, before: [], key: Qt.Key_Up,
                  isOpen: true, index: 1, listRow: 0, activated: 0, enter: 0 },
                { tag: "open Up stops at row 0", open: true, before: [Qt.Key_Up], key: Qt.Key_Up,
                  isOpen: true, index: 1, listRow: 0, activated: 0, enter: 0 },
                { tag: "open Down stops at the last row", open: true, before: [Qt.Key_Down, Qt.Key_Down], key: Qt.Key_Down,
                  isOpen: true, index: 1, listRow: 3, activated: 0, enter: 0 },
            ];
        }

        function test_keys(data) {
            const combo = makeCombo();
            if (data.open)
                openList(combo);
            for (const k of data.before)
                keyClick(k);
            keyClick(data.key);
            if (!data.isOpen)
                tryVerify(() => !combo.choices.visible);
            compare(combo.choices.visible, data.isOpen);
            compare(combo.currentIndex, data.index);
            compare(activatedSpy.count, data.activated);
            if (data.activated > 0)
                compare(activatedSpy.signalArguments[0][0], data.index);
            compare(enterSpy.count, data.enter);
            if (data.listRow !== undefined) {
                compare(list(combo).currentIndex, data.listRow);
                verify(combo.comboControl.arrowSelection);
            }
        }

        function test_reopening_starts_from_the_chosen_row() {
            const combo = makeCombo();
            openList(combo);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Escape);
            tryVerify(() => !combo.choices.visible);
            compare(combo.currentIndex, 1);
            openList(combo);
            compare(list(combo).currentIndex, 1);
            verify(!combo.comboControl.arrowSelection);
            keyClick(Qt.Key_Return);
            compare(combo.currentIndex, 1);
        }

        function test_click_on_row_activates() {
            const combo = makeCombo();
            openList(combo);
            const view = list(combo);
            const row = view.itemAtIndex(3);
            verify(row !== null);
            mouseClick(row, 10, row.height / 2);
            tryVerify(() => !combo.choices.visible);
            compare(combo.currentIndex, 3);
            compare(activatedSpy.count, 1);
            compare(activatedSpy.signalArguments[0][0], 3);
        }

        function test_hover_clears_arrow_selection() {
            const combo = makeCombo();
            openList(combo);
            keyClick(Qt.Key_Down);
            verify(combo.comboControl.arrowSelection);
            const row = list(combo).itemAtIndex(0);
            mouseMove(row, 10, 5);
            mouseMove(row, 12, 8);
            tryVerify(() => !combo.comboControl.arrowSelection);
            keyClick(Qt.Key_Escape);
        }

        function rowTexts(combo) {
            openList(combo);
            const view = list(combo);
            const texts = [];
            for (let i = 0; i < combo.count; ++i)
                texts.push(findChild(view.itemAtIndex(i), "rowText").text);
            keyClick(Qt.Key_Escape);
            tryVerify(() => !combo.choices.visible);
            return texts;
        }

        function test_row_text_data() {
            return [
                { tag: "strings", model: ["a", "b"], role: "", texts: ["a", "b"] },
                { tag: "strings with a text role", model: ["a", "b"], role: "name", texts: ["a", "b"] },
                { tag: "objects", model: [{ name: "one", value: 1 }, { name: "two", value: 2 }], role: "name",
                  texts: ["one", "two"] },
                { tag: "object without the role", model: [{ name: "one" }, { label: "x" }], role: "name",
                  texts: ["one", "Undefined"] },
                { tag: "numbers", model: [4, 8], role: "", texts: ["4", "8"] },
            ];
        }

        function test_row_text(data) {
            const combo = makeCombo({ model: data.model, textRole: data.role, currentIndex: 0 });
            compare(rowTexts(combo), data.texts);
        }

        function test_row_text_from_list_model() {
            const model = Qt.createQmlObject('import QtQuick; ListModel { ListElement { name: "first"; value: 3 } ListElement { name: "second"; value: 7 } }', top);
            const combo = makeCombo({ model: model, textRole: "name", valueRole: "value", currentIndex: 0 });
            compare(rowTexts(combo), ["first", "second"]);
            compare(combo.valueAt(1), 7);
            compare(combo.indexOfValue(7), 1);
            compare(combo.indexOfValue(5), -1);
            compare(combo.displayText, "first");
            model.destroy();
        }

        function test_list_stays_inside_the_window() {
            const many = [];
            for (let i = 0; i < 30; ++i)
                many.push("row " + i);
            const combo = makeCombo({ y: 200, model: many, currentIndex: 0 });
            openList(combo);
            const popup = combo.choices;
            tryVerify(() => popup.height > 100);
            verify(popup.height <= top.height - 10);
            const bottom = combo.mapToItem(null, 0, popup.y).y + popup.height;
            compare(bottom, top.height - 6);
            verify(combo.mapToItem(null, 0, popup.y).y >= 0);
            keyClick(Qt.Key_Escape);
        }

        function test_short_list_opens_below() {
            const combo = makeCombo({ model: ["a", "b"] });
            openList(combo);
            compare(combo.choices.y, combo.comboControl.height - 1);
            compare(combo.choices.width, combo.width);
            keyClick(Qt.Key_Escape);
        }

        function test_minimum_popup_width() {
            const combo = makeCombo({ minimumPopupWidth: 260 });
            openList(combo);
            compare(combo.choices.width, 260);
            keyClick(Qt.Key_Escape);
        }

        function test_completed_and_disabled_look() {
            const combo = makeCombo();
            verify(combo.isCompleted);
            compare(combo.implicitHeight, 30);
            compare(combo.mainLabel.color, Qt.color("white"));
            combo.enabled = false;
            compare(combo.mainLabel.color, Qt.color("gray"));
            compare(combo.comboControl.background.color, Qt.lighter("#525252", 0.5));
        }
    }
}
