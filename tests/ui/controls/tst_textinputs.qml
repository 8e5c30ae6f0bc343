import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    RecessedTextInput {
        id: input
        x: 10
        y: 10
        width: 200
        text: "Hello world"
    }

    RecessedTextInput {
        id: other
        x: 10
        y: 60
        width: 200
        text: "Other"
    }

    CustomTextInput {
        id: plain
        x: 10
        y: 120
        width: 200
    }

    SignalSpy { id: plainFinished; target: plain; signalName: "editingFinished" }

    TestCase {
        name: "TextInputs"
        when: windowShown

        function init() {
            input.editable = true;
            input.text = "Hello world";
            other.forceActiveFocus();
        }

        function test_focus_selects_all() {
            input.forceActiveFocus();
            verify(input.field.activeFocus);
            compare(input.field.selectedText, "Hello world");
            verify(findChild(input, "focusBorder").visible);
        }

        function test_tab_into_field_selects_all() {
            other.forceActiveFocus();
            keyClick(Qt.Key_Tab, Qt.ShiftModifier);
            tryVerify(() => input.field.activeFocus);
            compare(input.field.selectedText, "Hello world");
        }

        function test_copy_and_cut_follow_selection() {
            // The menu is built by the first right click.
            compare(findChild(input, "contextMenu"), null);
            mouseClick(input, 20, 5, Qt.RightButton);
            const menu = findChild(input, "contextMenu");
            verify(menu);
            tryVerify(() => menu.opened);
            menu.close();
            tryVerify(() => !menu.visible);
            input.forceActiveFocus();
            verify(findChild(menu, "copyAction").enabled);
            input.field.deselect();
            verify(!findChild(menu, "copyAction").enabled);
            verify(!findChild(menu, "cutAction").enabled);
            verify(findChild(menu, "pasteAction").enabled);
            mouseClick(input, 20, 5, Qt.RightButton);
            tryVerify(() => menu.opened);
            compare(menu.x, 0);
            compare(menu.y, 0);
            menu.close();
            tryVerify(() => !menu.visible);
        }

        function test_read_only_look() {
            const background = findChild(input, "background");
            input.editable = false;
            compare(background.color, Qt.lighter(Qt.lighter(theme.default_bg_color, 1.25), .8));
            compare(input.field.color, Qt.lighter(theme.default_text_color, 0.8));
        }

        function test_plain_field_return_inserts_line_break() {
            const edit = findChild(plain, "textEdit");
            edit.forceActiveFocus();
            keyClick(Qt.Key_A);
            keyClick(Qt.Key_Return);
            keyClick(Qt.Key_B);
            compare(plain.text, "a\nb");
            compare(plainFinished.count, 0);
            other.forceActiveFocus();
            compare(plainFinished.count, 1);
        }

        VandTheme { id: theme }
    }
}
