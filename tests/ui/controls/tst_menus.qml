import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 500
    height: 400

    VandTheme { id: theme }

    VandCustomMenu {
        id: menu
        Action { id: saveAction; text: "Save"; shortcut: "Ctrl+S" }
        Action { id: plainAction; text: "Plain" }
        Action { id: disabledAction; text: "Disabled"; shortcut: "Ctrl+D"; enabled: false }
        VandCustomMenuSeparator {}
        VandCustomMenu {
            id: subMenu
            title: "More"
            Action { text: "Inner" }
        }
    }

    CustomContextMenu {
        id: contextMenu
        Action { text: "1 s" }
        Action { text: "5 s" }
    }

    Component {
        id: sizedMenu
        VandCustomMenu {
            platformName: "windows"
            Action { text: "Short" }
        }
    }

    TestCase {
        name: "Menus"
        when: windowShown

        function test_format_data() {
            return [
                { tag: "empty", platform: "windows", shortcut: "", expected: "" },
                { tag: "win Ctrl+S", platform: "windows", shortcut: "Ctrl+S", expected: "Ctrl+S" },
                { tag: "win cmd+shift+z", platform: "windows", shortcut: "cmd+shift+z", expected: "INVALID+Shift+Z" },
                { tag: "win space", platform: "windows", shortcut: " ", expected: "Space" },
                { tag: "win Shift+space", platform: "windows", shortcut: "Shift+ ", expected: "Shift+Space" },
                { tag: "win Right", platform: "windows", shortcut: "Right", expected: "Right Arrow" },
                { tag: "win backspace", platform: "windows", shortcut: "backspace", expected: "Backspace" },
                { tag: "win comma", platform: "windows", shortcut: ",", expected: "," },
                { tag: "win Shift+Cmd+G", platform: "windows", shortcut: "Shift+Cmd+G", expected: "Shift+INVALID+G" },
                { tag: "win Shift+Ctrl+G", platform: "windows", shortcut: "Shift+Ctrl+G", expected: "Shift+Ctrl+G" },
                { tag: "win Alt", platform: "windows", shortcut: "alt+F4", expected: "Alt+F4" },
                { tag: "win upper-case name", platform: "Windows", shortcut: "ctrl+z", expected: "Ctrl+Z" },
                { tag: "mac Shift+Ctrl+G", platform: "osx", shortcut: "Shift+Ctrl+G", expected: "⇧^G" },
                { tag: "mac space", platform: "osx", shortcut: " ", expected: "Space" },
                { tag: "mac Cmd+S", platform: "osx", shortcut: "Cmd+S", expected: "⌘S" },
                { tag: "mac Alt+Backspace", platform: "osx", shortcut: "Alt+Backspace", expected: "⌥⌫" },
                { tag: "mac Cmd+Right", platform: "macos", shortcut: "Cmd+Right", expected: "⌘▶" },
                // Every platform but macOS reads shortcuts as Windows does.
                { tag: "linux Ctrl+S", platform: "linux", shortcut: "Ctrl+S", expected: "Ctrl+S" },
                { tag: "linux shift+ctrl+z", platform: "linux", shortcut: "shift+ctrl+z", expected: "Shift+Ctrl+Z" },
                { tag: "linux Right", platform: "linux", shortcut: "Right", expected: "Right Arrow" },
                { tag: "unknown platform", platform: "qnx", shortcut: "Alt+Shift+X", expected: "Alt+Shift+X" },
            ];
        }

        function test_format(data) {
            menu.platformName = data.platform;
            compare(menu.formatShortCutAsNativeString(data.shortcut), data.expected);
        }

        function test_entries() {
            menu.platformName = "linux";
            menu.open();
            tryVerify(() => menu.opened);

            const save = menu.itemAt(0);
            compare(menu.count, 5);
            compare(findChild(save, "shortcutText").text, "Ctrl+S");
            compare(findChild(save, "entryText").color, theme.light_text_color);
            verify(!findChild(save, "submenuArrow").visible);

            compare(findChild(menu.itemAt(1), "shortcutText").text, "");

            // A disabled entry darkens its text, not its shortcut label.
            const disabled = menu.itemAt(2);
            const dark = Qt.darker(theme.light_text_color, 2.5);
            const shown = findChild(disabled, "entryText").color;
            fuzzyCompare(shown.r, dark.r, 1e-3);
            fuzzyCompare(shown.g, dark.g, 1e-3);
            fuzzyCompare(shown.b, dark.b, 1e-3);
            compare(findChild(disabled, "shortcutText").text, "Ctrl+D");

            const more = menu.itemAt(4);
            verify(more.subMenu !== null);
            verify(findChild(more, "submenuArrow").visible);
            verify(!findChild(more, "shortcutText").visible);

            compare(save.height, 40);
            menu.close();
            tryVerify(() => !menu.visible);
        }

        // The style's menu is 200 px wide whatever its entries hold, which
        // cut "Audio Manager..." and its shortcut off.
        function test_entries_fit_their_text_and_shortcut_data() {
            return [
                { tag: "short entries", text: "Zoom", shortcut: "", subMenu: false, width: 200 },
                { tag: "long entry with shortcut", text: "Audio Manager...", shortcut: "Shift+Ctrl+G",
                  subMenu: false },
                { tag: "very long entry", text: "An entry whose text runs far past the style's width",
                  shortcut: "Ctrl+Q", subMenu: false },
                { tag: "long submenu title", text: "A submenu whose title is long indeed", shortcut: "",
                  subMenu: true },
            ];
        }
        function test_entries_fit_their_text_and_shortcut(data) {
            const host = createTemporaryObject(sizedMenu, top);
            if (data.subMenu)
                host.addMenu(Qt.createQmlObject('import com.tarnwick.vand_ui; VandCustomMenu { title: "'
                                                + data.text + '" }', host));
            else
                host.addAction(Qt.createQmlObject('import QtQuick.Controls; Action { text: "' + data.text
                                                  + '"; shortcut: "' + data.shortcut + '" }', host));
            host.open();
            tryVerify(() => host.opened);
            if (data.width !== undefined)
                compare(host.width, data.width);
            for (let i = 0; i < host.count; ++i) {
                const item = host.itemAt(i);
                const text = findChild(item, "entryText");
                const label = findChild(item, "shortcutText");
                verify(!text.truncated, text.text);
                if (label.visible && label.text !== "") {
                    const textEnd = text.mapToItem(item, text.implicitWidth, 0).x;
                    const labelStart = label.mapToItem(item, 0, 0).x;
                    verify(labelStart - textEnd >= host.entryGap, text.text);
                    verify(label.mapToItem(item, label.implicitWidth, 0).x <= item.width, label.text);
                }
                if (item.subMenu)
                    verify(text.mapToItem(item, text.implicitWidth, 0).x <= item.arrow.x, text.text);
            }
            host.close();
            tryVerify(() => !host.visible);
        }

        function test_context_menu_width_follows_longest_entry() {
            contextMenu.open();
            tryVerify(() => contextMenu.opened);
            const item = contextMenu.itemAt(0);
            const widest = Math.max(contextMenu.itemAt(0).contentItem.implicitWidth,
                                    contextMenu.itemAt(1).contentItem.implicitWidth);
            compare(contextMenu.width, widest + 2 * item.padding + 20);
            const before = contextMenu.width;

            contextMenu.addAction(Qt.createQmlObject('import QtQuick.Controls; Action { text: "A much longer fade time" }', contextMenu));
            verify(contextMenu.width > before);
            contextMenu.close();
            tryVerify(() => !contextMenu.visible);
        }
    }
}
