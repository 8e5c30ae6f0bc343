import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

Item {
    id: top
    width: 900
    height: 700

    // The window the menu's Quit entry asks to close.
    Item {
        id: fakeWindow
        width: 900
        height: 700
        property int closeCount: 0
        function close() { closeCount += 1; }
    }

    ResponsiveMenu {
        id: menu
        x: 10
        y: 10
        rootWindow: fakeWindow
        platformName: "linux"
    }

    TestCase {
        id: testCase
        name: "ResponsiveMenu"
        when: windowShown

        // Every entry of the menu, and the Delete key that is on none: its
        // text, the signal it raises ("" for none), the flag that enables it
        // ("" when always enabled), the shortcut label the menu shows and the
        // key that triggers it (0 for none).
        readonly property var entries: [
            { text: "Download Latest Log", signal: "getLatestLogClicked", flag: "", label: "", key: 0, modifiers: Qt.NoModifier },
            { text: "View Past Logs...", signal: "changelogManagerOpened", flag: "", label: "", key: 0, modifiers: Qt.NoModifier },
            { text: "Save Edits", signal: "saveClicked", flag: "canSave", label: "Ctrl+S", key: Qt.Key_S, modifiers: Qt.ControlModifier },
            { text: "Share Edits", signal: "shareClicked", flag: "canShare", label: "", key: 0, modifiers: Qt.NoModifier },
            { text: "Quit Application", signal: "", flag: "", label: "Ctrl+Q", key: Qt.Key_Q, modifiers: Qt.ControlModifier },
            { text: "Undo", signal: "undo", flag: "canUndo", label: "Ctrl+Z", key: Qt.Key_Z, modifiers: Qt.ControlModifier },
            { text: "Redo", signal: "redo", flag: "canRedo", label: "Ctrl+Shift+Z", key: Qt.Key_Z, modifiers: Qt.ControlModifier | Qt.ShiftModifier },
            { text: "Delete", signal: "deleteSelected", flag: "canDelete", label: "Backspace", key: Qt.Key_Backspace, modifiers: Qt.NoModifier },
            { text: "Not on Menu, Delete Key", signal: "deleteSelected", flag: "canDelete", label: null, key: Qt.Key_Delete, modifiers: Qt.NoModifier },
            { text: "Select All", signal: "selectAll", flag: "", label: "Ctrl+A", key: Qt.Key_A, modifiers: Qt.ControlModifier },
            { text: "Play/Pause", signal: "playPause", flag: "", label: "Space", key: Qt.Key_Space, modifiers: Qt.NoModifier },
            { text: "Stop", signal: "stop", flag: "", label: "Shift+Space", key: Qt.Key_Space, modifiers: Qt.ShiftModifier },
            { text: "Advance", signal: "continuePlay", flag: "", label: "Right Arrow", key: Qt.Key_Right, modifiers: Qt.NoModifier },
            { text: "Jump to Bar...", signal: "jumpToBarStart", flag: "", label: "Ctrl+B", key: Qt.Key_B, modifiers: Qt.ControlModifier },
            { text: "Previous Marker", signal: "previousMarker", flag: "", label: ",", key: Qt.Key_Comma, modifiers: Qt.NoModifier },
            { text: "Next Marker", signal: "nextMarker", flag: "", label: ".", key: Qt.Key_Period, modifiers: Qt.NoModifier },
            { text: "Previous Bar", signal: "previousBar", flag: "", label: "Shift+,", key: Qt.Key_Comma, modifiers: Qt.ShiftModifier },
            { text: "Next Bar", signal: "nextBar", flag: "", label: "Shift+.", key: Qt.Key_Period, modifiers: Qt.ShiftModifier },
            { text: "Zoom In Timeline", signal: "zoomIn", flag: "", label: "=", key: Qt.Key_Equal, modifiers: Qt.NoModifier },
            { text: "Zoom Out Timeline", signal: "zoomOut", flag: "", label: "-", key: Qt.Key_Minus, modifiers: Qt.NoModifier },
            { text: "Audio Manager...", signal: "audioManagerClicked", flag: "showAudioManager", label: "Shift+Ctrl+G", key: Qt.Key_G, modifiers: Qt.ControlModifier | Qt.ShiftModifier },
            { text: "Output Paths...", signal: "outputPaths", flag: "", label: "", key: 0, modifiers: Qt.NoModifier },
            { text: "MIDI Manager...", signal: "midiCommandsClicked", flag: "", label: "Shift+Ctrl+M", key: Qt.Key_M, modifiers: Qt.ControlModifier | Qt.ShiftModifier },
            { text: "OSC Manager...", signal: "oscManagerClicked", flag: "oscEnabled", label: "Shift+Ctrl+O", key: Qt.Key_O, modifiers: Qt.ControlModifier | Qt.ShiftModifier },
            { text: "About Application...", signal: "aboutClicked", flag: "", label: "", key: 0, modifiers: Qt.NoModifier },
            { text: "VAND Support Center...", signal: "", flag: "", label: "", key: 0, modifiers: Qt.NoModifier },
        ]

        // The entries that pass the filter, tagged by their text.
        function rows(filter) {
            return entries.filter(filter).map(function(e) { return Object.assign({ tag: e.text }, e); });
        }

        // Turns every flag on, so that each entry is enabled.
        function enableAll() {
            menu.canUndo = true;
            menu.canRedo = true;
            menu.canSave = true;
            menu.canShare = true;
            menu.showAudioManager = true;
        }

        readonly property var signalNames: [
            "audioManagerClicked", "midiCommandsClicked", "oscManagerClicked", "aboutClicked",
            "changelogManagerOpened", "jumpToBarStart", "getLatestLogClicked", "saveClicked",
            "shareClicked", "playPause", "stop", "continuePlay", "previousMarker", "nextMarker",
            "previousBar", "nextBar", "outputPaths", "zoomIn", "zoomOut", "selectAll",
            "deleteSelected", "undo", "redo"
        ]
        property var counts: ({})

        function initTestCase() {
            for (const name of signalNames) {
                counts[name] = 0;
                menu[name].connect(function() { counts[name] += 1; });
            }
        }

        function init() {
            menu.platformName = "linux";
            menu.canUndo = false;
            menu.canRedo = false;
            menu.canDelete = true;
            menu.canSave = false;
            menu.canShare = false;
            menu.showAudioManager = false;
            menu.oscEnabled = true;
            menu.appName = "Application";
            fakeWindow.closeCount = 0;
            for (const name of signalNames)
                counts[name] = 0;
        }

        function cleanup() {
            const main = findChild(menu, "mainMenu");
            if (!main)
                return;
            if (main.opened)
                main.close();
            tryVerify(function() { return !main.visible; });
        }

        // The menu's popups, built (not opened) when they are not yet.
        function mainMenu() {
            menu.buildMenu();
            const main = findChild(menu, "mainMenu");
            verify(main, "the menu was not built");
            return main;
        }

        function action(text) {
            if (text === "Not on Menu, Delete Key")
                return findChild(menu, "deleteKeyAction");
            const main = mainMenu();
            for (let i = 0; i < main.count; ++i) {
                const sub = main.menuAt(i);
                if (!sub)
                    continue;
                for (let j = 0; j < sub.count; ++j) {
                    const a = sub.actionAt(j);
                    if (a && a.text === text)
                        return a;
                }
            }
            fail("no entry " + text);
        }

        // The shortcut text the entry's row in the menu shows.
        function shownLabel(text) {
            const main = mainMenu();
            for (let i = 0; i < main.count; ++i) {
                const sub = main.menuAt(i);
                if (!sub)
                    continue;
                for (let j = 0; j < sub.count; ++j) {
                    const a = sub.actionAt(j);
                    if (a && a.text === text) {
                        const row = sub.itemAt(j);
                        verify(row, "no row for " + text);
                        return findChild(row, "shortcutText").text;
                    }
                }
            }
            fail("no entry " + text);
        }

        function raisedOnly(signal) {
            for (const name of signalNames)
                compare(counts[name], name === signal ? 1 : 0, name);
        }

        function test_submenusInOrder() {
            const main = mainMenu();
            const titles = [];
            for (let i = 0; i < main.count; ++i)
                titles.push(main.menuAt(i).title);
            compare(titles, ["File", "Edit", "Player", "View", "Tools", "Help"]);
        }

        function test_iconOpensTheMenuBelowIt() {
            compare(menu.width, 20);
            compare(menu.height, 20);
            mouseClick(menu);
            const main = mainMenu();
            tryVerify(function() { return main.opened; });
            compare(main.x, 0);
            compare(main.y, 20);
        }

        function test_iconLoadsWithoutItsSuffix() {
            const icon = findChild(menu, "icon");
            tryCompare(icon, "status", Image.Ready);
            compare(icon.sourceSize.width, 40);
            compare(icon.sourceSize.height, 40);
        }

        function test_iconBrightensUnderThePointer() {
            const overlay = findChild(menu, "iconOverlay");
            verify(Qt.colorEqual(overlay.color, "#D3D3D3"));
            mouseMove(menu, 10, 10);
            tryVerify(function() { return Qt.colorEqual(overlay.color, Qt.lighter("#D3D3D3", 1.65)); });
            mouseMove(top, 500, 500);
            tryVerify(function() { return Qt.colorEqual(overlay.color, "#D3D3D3"); });
        }

        function test_undoRedoSaveShareFollowTheFlags() {
            menu.canUndo = true;
            menu.canRedo = false;
            menu.canSave = true;
            menu.canShare = false;
            verify(action("Undo").enabled);
            verify(!action("Redo").enabled);
            verify(action("Save Edits").enabled);
            verify(!action("Share Edits").enabled);
        }

        function test_enablement_data() { return rows(function(e) { return true; }); }
        function test_enablement(data) {
            const a = action(data.text);
            if (data.flag === "") {
                verify(a.enabled);
                return;
            }
            const initial = menu[data.flag];
            compare(a.enabled, initial);
            menu[data.flag] = !initial;
            compare(a.enabled, !initial);
            menu[data.flag] = initial;
            compare(a.enabled, initial);
        }

        function test_entriesRaiseTheirSignals_data() { return rows(function(e) { return e.signal !== ""; }); }
        function test_entriesRaiseTheirSignals(data) {
            enableAll();
            action(data.text).trigger();
            raisedOnly(data.signal);
        }

        function test_disabledEntriesRaiseNothing_data() { return rows(function(e) { return e.flag !== ""; }); }
        function test_disabledEntriesRaiseNothing(data) {
            enableAll();
            menu[data.flag] = false;
            action(data.text).trigger();
            raisedOnly("");
        }

        // The label each entry shows beside its text, as the platform writes
        // shortcuts ("Cmd" having become "Ctrl").
        function test_shortcutLabels_data() { return rows(function(e) { return e.label !== null; }); }
        function test_shortcutLabels(data) {
            compare(shownLabel(data.text), data.label);
        }

        function test_macLabelsUseTheCommandSymbols_data() {
            return [
                { tag: "Save Edits", text: "Save Edits", label: "⌘S" },
                { tag: "Redo", text: "Redo", label: "⌘⇧Z" },
                { tag: "Delete", text: "Delete", label: "⌫" },
                { tag: "Stop", text: "Stop", label: "⇧Space" },
                { tag: "Advance", text: "Advance", label: "▶" },
            ];
        }
        function test_macLabelsUseTheCommandSymbols(data) {
            menu.platformName = "osx";
            compare(shownLabel(data.text), data.label);
        }

        function test_keyboardShortcuts_data() { return rows(function(e) { return e.key !== 0 && e.signal !== ""; }); }
        function test_keyboardShortcuts(data) {
            enableAll();
            keyClick(data.key, data.modifiers);
            raisedOnly(data.signal);
        }

        function test_keyboardShortcutsOfDisabledEntriesDoNothing_data() {
            return rows(function(e) { return e.key !== 0 && e.flag !== ""; });
        }
        function test_keyboardShortcutsOfDisabledEntriesDoNothing(data) {
            enableAll();
            menu[data.flag] = false;
            keyClick(data.key, data.modifiers);
            raisedOnly("");
        }

        function test_quitAsksTheWindowToClose() {
            menu.appName = "Pelorin";
            action("Quit Pelorin").trigger();
            compare(fakeWindow.closeCount, 1);
            raisedOnly("");
        }

        function test_entriesNameTheApplication() {
            menu.appName = "Pelorin";
            compare(action("Quit Pelorin").text, "Quit Pelorin");
            compare(action("About Pelorin...").text, "About Pelorin...");
        }

        function test_convertShortCutForPlatform_data() {
            return [
                { tag: "linux Cmd+S", platform: "linux", input: "Cmd+S", expected: "Ctrl+S" },
                { tag: "linux cmd+shift+z", platform: "linux", input: "cmd+shift+z", expected: "Ctrl+shift+z" },
                { tag: "linux Shift+Cmd+G", platform: "linux", input: "Shift+Cmd+G", expected: "Shift+Ctrl+G" },
                { tag: "linux plain key", platform: "linux", input: ",", expected: "," },
                { tag: "windows Cmd+b", platform: "windows", input: "Cmd+b", expected: "Ctrl+b" },
                { tag: "windows CMD+A", platform: "windows", input: "CMD+A", expected: "Ctrl+A" },
                { tag: "osx keeps Cmd", platform: "osx", input: "Cmd+S", expected: "Cmd+S" },
            ];
        }
        function test_convertShortCutForPlatform(data) {
            menu.platformName = data.platform;
            compare(menu.convertShortCutForPlatform(data.input), data.expected);
        }

        function test_quitShortcut() {
            keyClick(Qt.Key_Q, Qt.ControlModifier);
            compare(fakeWindow.closeCount, 1);
        }

        function test_hostsTheAboutBox() {
            verify(menu.aboutWindow);
            compare(menu.aboutWindow.rootWindow, fakeWindow);
            verify(typeof menu.aboutWindow.open === "function");
        }
    }
}
