import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    VandTheme { id: theme }

    ListModel {
        id: threeRows
        ListElement { first: "Lighting desk"; second: "10.0.0.5:53000 UDP" }
        ListElement { first: "Sound desk"; second: "10.0.0.6:53000 UDP" }
        ListElement { first: "Video"; second: "10.0.0.7:53000 TCP" }
    }
    ListModel { id: emptyModel }

    FlatButton {
        id: elsewhere
        x: 300
        y: 250
        text: "Elsewhere"
    }

    CustomTwoColumnListView {
        id: list
        width: 200
        height: 200
        model: threeRows
    }

    TestCase {
        name: "CustomTwoColumnListView"
        when: windowShown

        function init() {
            list.model = threeRows;
            list.currentIndex = -1;
            elsewhere.forceActiveFocus();
        }

        function child(name) {
            for (let i = 0; i < list.contentItem.children.length; ++i) {
                const c = list.contentItem.children[i];
                if (c.objectName === name)
                    return c;
            }
            return null;
        }

        function row(i) { return list.itemAtIndex(i); }
        function texts(r) { return r.children[2].children; } // spacer, first, second
        function overlay(r) { return r.children[0]; }

        function test_keys_data() {
            return [
                { tag: "down from none selects 0", start: -1, key: Qt.Key_Down, expected: 0 },
                { tag: "down", start: 0, key: Qt.Key_Down, expected: 1 },
                { tag: "down at end stays", start: 2, key: Qt.Key_Down, expected: 2 },
                { tag: "up", start: 2, key: Qt.Key_Up, expected: 1 },
                { tag: "up at start stays", start: 0, key: Qt.Key_Up, expected: 0 },
                { tag: "up from none stays", start: -1, key: Qt.Key_Up, expected: -1 },
            ];
        }
        function test_keys(data) {
            list.currentIndex = data.start;
            list.forceActiveFocus();
            keyClick(data.key);
            compare(list.currentIndex, data.expected);
        }

        function test_empty_model() {
            list.model = emptyModel;
            list.forceActiveFocus();
            keyClick(Qt.Key_Down);
            compare(list.currentIndex, -1);
            keyClick(Qt.Key_Up);
            compare(list.currentIndex, -1);
            verify(list.highlightItem === null || list.highlightItem.height === 0);
            compare(child("listBackground").height, 0);
            compare(child("focusFrame").height, 0);
        }

        function test_click_selects_and_focuses() {
            const r = row(1);
            verify(!list.activeFocus);
            mouseClick(r, 50, 15);
            compare(list.currentIndex, 1);
            verify(list.activeFocus);
            compare(texts(r)[1].color, Qt.color("white"));
            compare(texts(r)[2].color, Qt.color("white"));
            compare(texts(row(0))[1].color, theme.default_text_color);
            verify(overlay(r).visible);
            verify(!overlay(row(0)).visible);
            verify(child("focusFrame").visible);

            elsewhere.forceActiveFocus();
            compare(list.currentIndex, 1);
            verify(!overlay(r).visible);
            verify(!child("focusFrame").visible);
            compare(texts(r)[1].color, Qt.color("white"));
            compare(list.highlightItem.color, theme.default_selected_color);
        }

        function test_right_click_changes_nothing() {
            list.currentIndex = 0;
            mouseClick(row(2), 50, 15, Qt.RightButton);
            compare(list.currentIndex, 0);
            verify(!list.activeFocus);
        }

        function test_layout() {
            const r = row(0);
            compare(r.height, 30);
            compare(r.width, 200);
            compare(texts(r)[0].width, 10);
            compare(texts(r)[1].width, 100);
            compare(texts(r)[2].width, 100);
            compare(texts(r)[1].x, 10);
            compare(texts(r)[2].x, 110);
            // Background and focus frame cover the rows only.
            compare(child("listBackground").height, 90);
            compare(child("focusFrame").height, 90);
            compare(child("listBackground").width, 200);
            compare(child("listBackground").z, -5);
        }

        function test_long_second_column_is_elided() {
            threeRows.setProperty(0, "second", "a very long address that cannot fit in half of the list");
            const t = texts(row(0))[2];
            verify(t.truncated);
            compare(t.elide, Text.ElideRight);
            threeRows.setProperty(0, "second", "10.0.0.5:53000 UDP");
        }

        function test_highlight_follows_current_row() {
            list.currentIndex = 2;
            compare(list.highlightItem.width, 200);
            compare(list.highlightItem.height, 30);
            tryCompare(list.highlightItem, "y", 60);
        }

        function test_scroll_bar_always_on() {
            const bar = list.ScrollBar.vertical;
            verify(bar !== null);
            compare(bar.policy, ScrollBar.AlwaysOn);
            verify(bar.visible);
        }
    }
}
