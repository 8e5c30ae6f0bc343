import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
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

    // A control of the window beside the combo box: counts the presses
    // that reach it.
    Rectangle {
        id: pressTarget
        property int presses: 0
        x: 300
        y: 250
        width: 80
        height: 40
        MouseArea {
            anchors.fill: parent
            onPressed: pressTarget.presses++
        }
    }

    // A window of its own near the bottom of the screen.
    Component {
        id: lowWindow
        Window {
            property alias combo: lowCombo
            x: 0
            width: 300
            height: 60
            CustomComboBox {
                id: lowCombo
                x: 10
                y: 10
                width: 150
            }
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

        function rows(n) {
            const many = [];
            for (let i = 0; i < n; ++i)
                many.push("row " + i);
            return many;
        }

        // The list's window covers the list where it lies relative to the
        // control, on the screen.
        function verifyListWindow(combo) {
            const win = combo.listWindow;
            verify(win !== null);
            tryVerify(() => win.visible);
            verify(win.flags & Qt.FramelessWindowHint);
            verify(win !== combo.Window.window);
            const corner = combo.mapToGlobal(0, combo.listY);
            compare(win.x, Math.round(corner.x));
            compare(win.y, Math.round(corner.y));
            compare(combo.choices.width, win.width);
            compare(combo.choices.height, win.height);
            compare(combo.choices.contentItem.Window.window, win);
        }

        // A long list is as high as half the screen, whatever the height of
        // the window that holds the control, and scrolls.
        function test_long_list_reaches_beyond_its_window() {
            const combo = makeCombo({ y: 200, model: rows(60), currentIndex: 0 });
            openList(combo);
            const popup = combo.choices;
            tryCompare(popup, "height", Math.floor(Screen.height / 2));
            verify(popup.height > top.height - combo.y);
            verifyListWindow(combo);
            const view = list(combo);
            verify(view.contentHeight > view.height);
            keyClick(Qt.Key_Escape);
            tryVerify(() => !combo.choices.visible);
            verify(!combo.listWindow.visible);
        }

        function test_short_list_fits_its_rows() {
            const combo = makeCombo({ model: ["a", "b", "c"] });
            openList(combo);
            tryCompare(combo.choices, "height", 3 * 40 + 2);
            verifyListWindow(combo);
            keyClick(Qt.Key_Escape);
        }

        // Where the control lies near the bottom of the screen: `below` is
        // how far above the screen's bottom the control's top edge is.
        function test_list_at_the_screen_floor_data() {
            return [
                { tag: "room below", below: 200, rows: 3, moved: false },
                { tag: "runs off by less than the control", below: 140, rows: 3, moved: false },
                { tag: "runs off by more than the control", below: 100, rows: 3, moved: true },
                { tag: "half-screen list at the bottom", below: 40, rows: 60, moved: true },
            ];
        }

        function test_list_at_the_screen_floor(data) {
            const holder = createTemporaryObject(lowWindow, top, { y: Screen.virtualY + Screen.height - data.below - 10 });
            verify(holder !== null);
            holder.show();
            tryVerify(() => holder.visible);
            const combo = holder.combo;
            combo.model = rows(data.rows);
            combo.choices.open();
            tryVerify(() => combo.choices.opened);
            tryVerify(() => list(combo).count === combo.count);
            const popup = combo.choices;
            const height = Math.floor(Math.min(data.rows * 40 + 2, Screen.height / 2));
            tryCompare(popup, "height", height);
            const screenBottom = Screen.virtualY + Screen.height;
            const corner = combo.mapToGlobal(0, 0);
            if (data.moved) {
                tryCompare(combo, "listY", combo.height - 1 - (corner.y + height - screenBottom) - 35);
                compare(corner.y + combo.listY + popup.height, screenBottom - 6);
            } else {
                tryCompare(combo, "listY", combo.height - 1);
            }
            verifyListWindow(combo);
            popup.close();
            holder.close();
        }

        // A press elsewhere closes the list and still reaches what it hits;
        // a press on the control closes it by the control's own toggle.
        function test_press_outside_closes_and_goes_through() {
            const combo = makeCombo({ model: rows(5), currentIndex: 0 });
            openList(combo);
            pressTarget.presses = 0;
            mouseClick(pressTarget);
            tryVerify(() => !combo.choices.visible);
            compare(pressTarget.presses, 1);
            compare(activatedSpy.count, 0);
            verify(!combo.listWindow.visible);

            mouseClick(combo);
            tryVerify(() => combo.choices.opened);
            mouseClick(combo);
            tryVerify(() => !combo.choices.visible);
            wait(0);
            verify(!combo.choices.visible);
            compare(combo.currentIndex, 0);
        }

        // Escape closes the list also where the control does not hold the
        // focus.
        function test_escape_closes_without_focus() {
            const combo = makeCombo({ model: rows(5) });
            combo.choices.open();
            tryVerify(() => combo.choices.opened);
            pressTarget.forceActiveFocus();
            keyClick(Qt.Key_Escape);
            tryVerify(() => !combo.choices.visible);
        }

        // The list lies where its dialog was: the dialog moving, going or
        // losing the focus closes it.
        function test_list_closes_with_its_window_data() {
            return [
                { tag: "window moved", change: "move" },
                { tag: "another window active", change: "deactivate" },
            ];
        }

        function test_list_closes_with_its_window(data) {
            const combo = makeCombo({ model: rows(5) });
            const win = combo.Window.window;
            win.requestActivate();
            tryVerify(() => win.active);
            openList(combo);
            if (data.change === "move") {
                const x = win.x;
                win.x = x + 10;
                tryVerify(() => !combo.choices.visible);
                win.x = x;
            } else {
                // A top-level window of its own, not one the dialog owns.
                const other = createTemporaryObject(lowWindow, null, { y: 0 });
                other.show();
                other.requestActivate();
                tryVerify(() => !combo.choices.visible);
                other.close();
                win.requestActivate();
                tryVerify(() => win.active);
            }
            verify(!combo.listWindow.visible);
        }

        function test_short_list_opens_below() {
            const combo = makeCombo({ model: ["a", "b"] });
            openList(combo);
            compare(combo.listY, combo.comboControl.height - 1);
            compare(combo.choices.width, combo.width);
            verifyListWindow(combo);
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
