import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui
import VandTest
import "qrc:/qt/qml/com/tarnwick/vand_ui/qml/molecules/LocalPath.js" as LocalPath

Item {
    id: top
    width: 600
    height: 400

    Component {
        id: textComponent
        TextInputControl { width: 300; text: "Show Name" }
    }
    Component {
        id: directoryComponent
        DirectoryInputControl { width: 300; text: "Source Directory" }
    }
    Component {
        id: fileComponent
        FileInputControl { width: 300; nameFilters: ["WAV Files (*.wav)", "All files (*)"] }
    }
    Component {
        id: displayComponent
        FileDisplay { width: 300; height: 100; text: "MIDI Files" }
    }
    Component {
        id: packageComponent
        PackageControl { toggleText: "Advanced" }
    }
    Component {
        id: areaComponent
        RecessedTextArea { width: 200; height: 80 }
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "FormFields"
        when: windowShown

        function make(component, properties) {
            const item = createTemporaryObject(component, top, properties || {});
            verify(item !== null);
            return item;
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        function test_local_path_data() {
            return [
                { tag: "drive letter", url: "file:///C:/My%20Shows", path: "C:/My Shows" },
                { tag: "drive letter alone", url: "file:///d:", path: "d:" },
                { tag: "spaces in a file name", url: "file:///C:/Audio/Click%20Track%201.wav",
                  path: "C:/Audio/Click Track 1.wav" },
                { tag: "POSIX path", url: "file:///home/crew/My%20Shows", path: "/home/crew/My Shows" },
                { tag: "POSIX root", url: "file:///", path: "/" },
                { tag: "reserved characters", url: "file:///tmp/a%23b%3Fc%25d", path: "/tmp/a#b?c%d" },
                { tag: "non-ASCII", url: "file:///tmp/%C3%9Cbert%C3%BCre", path: "/tmp/Übertüre" },
                { tag: "host", url: "file://server/shows/Demo", path: "//server/shows/Demo" },
                { tag: "malformed escape kept", url: "file:///tmp/100%", path: "/tmp/100%" },
                { tag: "upper-case scheme", url: "FILE:///tmp/x", path: "/tmp/x" },
                { tag: "not a URL", url: "/tmp/My%20Shows", path: "/tmp/My%20Shows" },
                { tag: "url value", url: Qt.url("file:///C:/My%20Shows"), path: "C:/My Shows" },
            ];
        }

        function test_local_path(data) {
            compare(LocalPath.toLocalPath(data.url), data.path);
        }

        function test_chosen_path_is_local_data() {
            return [
                { tag: "folder, drive letter", component: directoryComponent, url: "file:///C:/My%20Shows",
                  value: "C:/My Shows" },
                { tag: "folder, POSIX", component: directoryComponent, url: "file:///home/crew/Show%20Files",
                  value: "/home/crew/Show Files" },
                { tag: "file, drive letter", component: fileComponent, url: "file:///C:/Audio/Click%20Track.wav",
                  value: "C:/Audio/Click Track.wav" },
                { tag: "file, POSIX", component: fileComponent, url: "file:///home/crew/a%20b.wav",
                  value: "/home/crew/a b.wav" },
            ];
        }

        function test_chosen_path_is_local(data) {
            const control = make(data.component);
            const valueSpy = spy(control, "valueChanged");
            const textSpy = spy(control, "textChanged");
            if (data.component === fileComponent) {
                compare(control.fileUrl, Qt.resolvedUrl("qrc:/qt/qml/com/tarnwick/vand_ui/qml/molecules/"));
                control.chooseFile(data.url);
                compare(control.fileUrl, Qt.url(data.url));
            } else {
                control.chooseFolder(data.url);
            }
            compare(control.value, data.value);
            compare(valueSpy.count, 1);
            compare(textSpy.count, 1);
        }

        // The file dialog takes only files that exist.
        function test_file_dialog_choice_reaches_the_field() {
            const control = make(fileComponent);
            const dialog = findChild(control, "fileDialog");
            compare(dialog.nameFilters, ["WAV Files (*.wav)", "All files (*)"]);
            dialog.selectedFile = "file://" + TempFolder.path + "/My%20Shows/Click%20Track.wav";
            dialog.accepted();
            compare(control.value, TempFolder.path + "/My Shows/Click Track.wav");
        }

        function test_cancel_changes_nothing_data() {
            return [
                { tag: "folder", component: directoryComponent, dialog: "folderDialog" },
                { tag: "file", component: fileComponent, dialog: "fileDialog" },
            ];
        }

        function test_cancel_changes_nothing(data) {
            const control = make(data.component, { value: "/kept" });
            const url = control.fileUrl;
            const valueSpy = spy(control, "valueChanged");
            const textSpy = spy(control, "textChanged");
            findChild(control, data.dialog).reject();
            compare(control.value, "/kept");
            compare(control.fileUrl, url);
            compare(valueSpy.count, 0);
            compare(textSpy.count, 0);
        }

        function test_change_signals_data() {
            return [
                { tag: "text field, typing", component: textComponent, typing: true, value: 1, text: 1 },
                { tag: "text field, setting", component: textComponent, typing: false, value: 1, text: 0 },
                { tag: "folder field, typing", component: directoryComponent, typing: true, value: 1, text: 1 },
                { tag: "folder field, setting", component: directoryComponent, typing: false, value: 1, text: 0 },
                { tag: "file field, setting", component: fileComponent, typing: false, value: 1, text: 0 },
            ];
        }

        function test_change_signals(data) {
            const control = make(data.component);
            const valueSpy = spy(control, "valueChanged");
            const textSpy = spy(control, "textChanged");
            if (data.typing) {
                control.field.forceActiveFocus();
                keyClick("x");
            } else {
                control.value = "set";
            }
            compare(valueSpy.count, data.value);
            compare(textSpy.count, data.text);
        }

        function test_text_field_focus_selects_all() {
            const control = make(textComponent, { value: "Demo" });
            control.hasFocus = true;
            tryVerify(() => control.field.activeFocus);
            compare(control.field.selectedText, "Demo");
            compare(control.implicitHeight, findChild(control, "label").implicitHeight + 5
                                              + findChild(control, "input").implicitHeight);
        }

        function test_layout_of_the_choosers_data() {
            return [
                { tag: "folder", component: directoryComponent, buttonWidth: 80, spacing: 10, labelShown: true },
                { tag: "file", component: fileComponent, buttonWidth: 60, spacing: 10, labelShown: false },
            ];
        }

        function test_layout_of_the_choosers(data) {
            const control = make(data.component);
            const input = findChild(control, "input");
            compare(control.button.width, data.buttonWidth);
            compare(control.button.x + control.button.width, control.width);
            compare(input.x + input.width, control.button.x - data.spacing);
            compare(control.button.y, input.y);
            compare(control.button.height, input.height);
            compare(findChild(control, "label").visible, data.labelShown);
            compare(control.button.text, "Choose");
        }

        function test_file_field_cannot_be_typed_in() {
            const control = make(fileComponent, { value: "C:/a.wav" });
            verify(!control.field.enabled);
            mouseDoubleClickSequence(control.field);
            compare(control.field.selectedText, "");
            keyClick("x");
            compare(control.value, "C:/a.wav");
        }

        function test_choose_opens_the_dialog_data() {
            return [
                { tag: "folder, click", component: directoryComponent, dialog: "folderDialog", key: false },
                { tag: "folder, Return", component: directoryComponent, dialog: "folderDialog", key: true },
                { tag: "file, click", component: fileComponent, dialog: "fileDialog", key: false },
            ];
        }

        function test_choose_opens_the_dialog(data) {
            const control = make(data.component);
            const dialog = findChild(control, data.dialog);
            compare(dialog.modality, Qt.WindowModal);
            if (data.key) {
                control.button.forceActiveFocus();
                keyClick(Qt.Key_Return);
            } else {
                mouseClick(control.button);
            }
            tryVerify(() => dialog.visible);
            dialog.reject();
            tryVerify(() => !dialog.visible);
        }

        function test_file_display_data() {
            return [
                { tag: "empty", lines: 0, scrolls: false },
                { tag: "a few", lines: 2, scrolls: false },
                { tag: "more than fit", lines: 40, scrolls: true },
            ];
        }

        function test_file_display(data) {
            const lines = [];
            for (let i = 0; i < data.lines; ++i)
                lines.push("song" + i + ".mid");
            const display = make(displayComponent, { value: lines });
            const list = findChild(display, "list");
            const box = findChild(display, "box");
            verify(box.visible);
            compare(box.border.width, 2);
            compare(list.count, data.lines);
            compare(display.model, lines);
            compare(findChild(display, "scrollBar").visible, data.scrolls);
            if (data.lines > 0)
                compare(list.itemAtIndex(0).text, "song0.mid");
        }

        function test_package_control() {
            const control = make(packageComponent);
            const clicked = spy(control, "clicked");
            const toggledSpy = spy(control, "toggledChanged");
            compare(control.buttonText, "Package");
            compare(control.button.width, 80);
            compare(control.button.x, 5);
            compare(control.toggle.x, control.button.x + 80 + 5);
            compare(control.toggle.scale, 0.65);
            control.button.forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(clicked.count, 1);
            mouseClick(control.button);
            compare(clicked.count, 2);
            control.toggle.forceActiveFocus();
            compare(control.toggle.scale, 0.75);
            keyClick(Qt.Key_Return);
            verify(control.toggled);
            compare(toggledSpy.count, 1);
            compare(clicked.count, 2);
        }

        function test_text_area() {
            const area = make(areaComponent, { text: "first\nsecond" });
            const edit = findChild(area, "textEdit");
            verify(edit.activeFocus);
            top.forceActiveFocus();
            const edited = spy(area, "textEdited");
            const finished = spy(area, "editingFinished");
            compare(edit.wrapMode, TextEdit.NoWrap);
            area.text = "set from outside";
            compare(edit.text, "set from outside");
            compare(edited.count, 0);
            area.forceActiveFocus();
            verify(edit.activeFocus);
            compare(edit.selectedText, "set from outside");
            keyClick("z");
            compare(area.text, "z");
            compare(edited.count, 1);
            top.forceActiveFocus();
            compare(finished.count, 1);
            area.editable = false;
            mouseDoubleClickSequence(edit, 5, 5);
            compare(edit.selectedText, "");
            area.forceActiveFocus();
            keyClick("q");
            compare(area.text, "z");
        }
    }
}
