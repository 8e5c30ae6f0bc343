import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    // A dialog as the tools build it: its size follows its content at
    // creation, then stays.
    Component {
        id: dialogComponent
        EditTool {
            id: dialog
            property alias buttons: buttons
            property alias idLabel: idLabel
            property alias filler: filler
            width: 300
            height: column.implicitHeight + 50
            title: isEdit ? "Edit Cut" : "Create Cut"

            ColumnLayout {
                id: column
                x: 20
                y: 20
                width: dialog.width - 40

                Rectangle {
                    id: filler
                    objectName: "filler"
                    color: theme.default_text_color
                    Layout.fillWidth: true
                    Layout.preferredHeight: 60
                }
                StandardEditButtons {
                    id: buttons
                    Layout.fillWidth: true
                }
                EventIdLabel {
                    id: idLabel
                    value: dialog.eventId
                    Layout.fillWidth: true
                }
            }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    // Reads and writes the clipboard through its own copy and paste.
    TextEdit {
        id: clipboard
        visible: false

        function put(text) {
            clipboard.text = text;
            clipboard.selectAll();
            clipboard.copy();
        }

        function read() {
            clipboard.text = "";
            clipboard.paste();
            return clipboard.text;
        }
    }

    TestCase {
        name: "EditTool"
        when: windowShown

        function makeDialog(properties) {
            const dialog = createTemporaryObject(dialogComponent, top, properties || {});
            verify(dialog !== null);
            return dialog;
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        function showDialog(dialog) {
            dialog.visible = true;
            waitForRendering(dialog.contentItem);
            dialog.requestActivate();
            tryVerify(() => dialog.active);
        }

        function test_defaults() {
            const tool = createTemporaryQmlObject("import com.tarnwick.vand_ui; EditTool {}", top);
            compare(tool.width, 360);
            compare(tool.height, 300);
            compare(tool.title, "Edit Tool");
            compare(tool.modality, Qt.ApplicationModal);
            compare(tool.flags & Qt.Dialog, Qt.Dialog);
            verify(!tool.isEdit);
            compare(tool.eventId, "");
            compare(tool.windowHeight, 300);
            compare(tool.topSpacer.height, 30);
            compare(tool.theme.default_font.pixelSize, 14);
            compare(findChild(tool.contentItem, "background").color, tool.theme.default_bg_color);
        }

        function test_size_fixed_at_creation() {
            const dialog = makeDialog();
            const width = dialog.width;
            const height = dialog.height;
            verify(height > 100);
            compare(dialog.minimumWidth, width);
            compare(dialog.maximumWidth, width);
            compare(dialog.minimumHeight, height);
            compare(dialog.maximumHeight, height);
            dialog.filler.Layout.preferredHeight = 300;
            compare(dialog.height, height);
            compare(dialog.width, width);
        }

        function test_keys_of_the_button_row_data() {
            return [
                { tag: "Return on OK", focus: "ok", key: Qt.Key_Return, okay: 1, cancel: 0 },
                { tag: "Return on Cancel", focus: "cancel", key: Qt.Key_Return, okay: 1, cancel: 0 },
                { tag: "Escape on OK", focus: "ok", key: Qt.Key_Escape, okay: 0, cancel: 1 },
                { tag: "Escape on Cancel", focus: "cancel", key: Qt.Key_Escape, okay: 0, cancel: 1 },
                { tag: "Return on the row", focus: "row", key: Qt.Key_Return, okay: 1, cancel: 0 },
                { tag: "keypad Enter on OK", focus: "ok", key: Qt.Key_Enter, okay: 0, cancel: 0 },
                { tag: "keypad Enter on Cancel", focus: "cancel", key: Qt.Key_Enter, okay: 0, cancel: 0 },
            ];
        }

        function test_keys_of_the_button_row(data) {
            const dialog = makeDialog();
            showDialog(dialog);
            const buttons = dialog.buttons;
            const okay = spy(buttons, "okayClicked");
            const cancel = spy(buttons, "cancelClicked");
            const target = data.focus === "ok" ? buttons.okButton
                         : data.focus === "cancel" ? buttons.cancelButton : buttons;
            target.forceActiveFocus();
            verify(target.activeFocus);
            keyClick(data.key);
            compare(okay.count, data.okay);
            compare(cancel.count, data.cancel);
        }

        function test_button_clicks_and_look() {
            const dialog = makeDialog();
            const buttons = dialog.buttons;
            const okay = spy(buttons, "okayClicked");
            const cancel = spy(buttons, "cancelClicked");
            mouseClick(buttons.cancelButton);
            mouseClick(buttons.okButton);
            mouseClick(buttons.okButton);
            compare(cancel.count, 1);
            compare(okay.count, 2);
            compare(buttons.cancelButton.text, "Cancel");
            compare(buttons.okButton.text, "OK");
            compare(buttons.cancelButton.width, 80);
            compare(buttons.okButton.width, 80);
            verify(buttons.okButton.isDefault);
            verify(buttons.okButton.x > buttons.cancelButton.x);
            compare(buttons.okButton.x + buttons.okButton.width, buttons.width);
            compare(buttons.implicitHeight, buttons.cancelButton.implicitHeight);
        }

        function test_title_bar_close_only_reports_closing() {
            const dialog = makeDialog();
            showDialog(dialog);
            const closing = spy(dialog, "windowClosing");
            const okay = spy(dialog.buttons, "okayClicked");
            const cancel = spy(dialog.buttons, "cancelClicked");
            dialog.close();
            compare(closing.count, 1);
            compare(okay.count, 0);
            compare(cancel.count, 0);
            verify(!dialog.visible);
        }

        function test_event_id_shown_data() {
            return [
                { tag: "an id", id: "N-12", shown: "N-12" },
                { tag: "no id", id: "", shown: "(none)" },
            ];
        }

        function test_event_id_shown(data) {
            const dialog = makeDialog({ eventId: data.id });
            compare(findChild(dialog.idLabel, "idField").text, data.shown);
            compare(dialog.idLabel.text, "Event ID:");
            const caption = findChild(dialog.idLabel, "caption");
            compare(caption.font.pixelSize, 11);
            compare(String(caption.color), String(dialog.theme.dim_text_color));
            verify(!findChild(dialog.idLabel, "copiedNotice").visible);
        }

        function test_click_copies_the_id() {
            const dialog = makeDialog({ eventId: "B-3" });
            showDialog(dialog);
            clipboard.put("before");
            const field = findChild(dialog.idLabel, "idField");
            const notice = findChild(dialog.idLabel, "copiedNotice");
            const timer = findChild(dialog.idLabel, "noticeTimer");
            mouseClick(field);
            compare(clipboard.read(), "B-3");
            verify(notice.visible);
            verify(timer.running);
            compare(timer.interval, 1000);
            timer.triggered();
            verify(!notice.visible);
        }

        // A second click while the notice shows must not restart its timer:
        // the notice goes one second after the first click.
        function test_second_click_keeps_the_timer() {
            const dialog = makeDialog({ eventId: "B-3" });
            showDialog(dialog);
            const field = findChild(dialog.idLabel, "idField");
            const timer = findChild(dialog.idLabel, "noticeTimer");
            const runningChanges = spy(timer, "runningChanged");
            mouseClick(field);
            compare(runningChanges.count, 1);
            mouseClick(field);
            compare(runningChanges.count, 1);
            verify(timer.running);
        }

        // "(none)" is not an id: a click while there is none copies nothing.
        function test_empty_id_copies_nothing() {
            const dialog = makeDialog({ eventId: "" });
            showDialog(dialog);
            clipboard.put("before");
            mouseClick(findChild(dialog.idLabel, "idField"));
            compare(clipboard.read(), "before");
            verify(!findChild(dialog.idLabel, "copiedNotice").visible);
        }

        function test_id_tool_tip() {
            const dialog = makeDialog({ eventId: "B-3" });
            showDialog(dialog);
            const tip = findChild(dialog.idLabel, "copyToolTip");
            compare(tip.text, "Click to Copy to Clipboard");
            compare(tip.delay, 1000);
            compare(tip.timeout, 5000);
            const field = findChild(dialog.idLabel, "idField");
            mouseMove(field, 2, 2);
            mouseMove(field, 4, 4);
            tryVerify(() => tip.visible);
            mouseMove(dialog.filler, 2, 2);
            tryVerify(() => !tip.visible);
        }
    }
}
