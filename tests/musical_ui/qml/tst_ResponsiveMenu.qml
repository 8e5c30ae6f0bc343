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
            if (main.opened)
                main.close();
            tryVerify(function() { return !main.visible; });
        }

        function mainMenu() {
            return findChild(menu, "mainMenu");
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
            compare(String(menu.imageSource), "qrc:/images/responsive_menu");
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

        function test_enablement_data() {
            return [
                { tag: "Download Latest Log", text: "Download Latest Log", flag: "", initial: true },
                { tag: "View Past Logs", text: "View Past Logs...", flag: "", initial: true },
                { tag: "Save Edits", text: "Save Edits", flag: "canSave", initial: false },
                { tag: "Share Edits", text: "Share Edits", flag: "canShare", initial: false },
                { tag: "Quit", text: "Quit Application", flag: "", initial: true },
                { tag: "Undo", text: "Undo", flag: "canUndo", initial: false },
                { tag: "Redo", text: "Redo", flag: "canRedo", initial: false },
                { tag: "Delete", text: "Delete", flag: "canDelete", initial: true },
                { tag: "Delete key", text: "Not on Menu, Delete Key", flag: "canDelete", initial: true },
                { tag: "Select All", text: "Select All", flag: "", initial: true },
                { tag: "Play/Pause", text: "Play/Pause", flag: "", initial: true },
                { tag: "Stop", text: "Stop", flag: "", initial: true },
                { tag: "Advance", text: "Advance", flag: "", initial: true },
                { tag: "Jump to Bar", text: "Jump to Bar...", flag: "", initial: true },
                { tag: "Previous Marker", text: "Previous Marker", flag: "", initial: true },
                { tag: "Next Marker", text: "Next Marker", flag: "", initial: true },
                { tag: "Previous Bar", text: "Previous Bar", flag: "", initial: true },
                { tag: "Next Bar", text: "Next Bar", flag: "", initial: true },
                { tag: "Zoom In", text: "Zoom In Timeline", flag: "", initial: true },
                { tag: "Zoom Out", text: "Zoom Out Timeline", flag: "", initial: true },
                { tag: "Audio Manager", text: "Audio Manager...", flag: "showAudioManager", initial: false },
                { tag: "MIDI Manager", text: "MIDI Manager...", flag: "", initial: true },
                { tag: "OSC Manager", text: "OSC Manager...", flag: "oscEnabled", initial: true },
                { tag: "About", text: "About Application...", flag: "", initial: true },
                { tag: "Support", text: "VAND Support Center...", flag: "", initial: true },
            ];
        }
        function test_enablement(data) {
            const a = action(data.text);
            compare(a.enabled, data.initial);
            if (data.flag === "")
                return;
            menu[data.flag] = !data.initial;
            compare(a.enabled, !data.initial);
            menu[data.flag] = data.initial;
            compare(a.enabled, data.initial);
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

        function test_entriesRaiseTheirSignals_data() {
            return [
                { tag: "Download Latest Log", text: "Download Latest Log", signal: "getLatestLogClicked" },
                { tag: "View Past Logs", text: "View Past Logs...", signal: "changelogManagerOpened" },
                { tag: "Save Edits", text: "Save Edits", signal: "saveClicked" },
                { tag: "Share Edits", text: "Share Edits", signal: "shareClicked" },
                { tag: "Undo", text: "Undo", signal: "undo" },
                { tag: "Redo", text: "Redo", signal: "redo" },
                { tag: "Delete", text: "Delete", signal: "deleteSelected" },
                { tag: "Delete key", text: "Not on Menu, Delete Key", signal: "deleteSelected" },
                { tag: "Select All", text: "Select All", signal: "selectAll" },
                { tag: "Play/Pause", text: "Play/Pause", signal: "playPause" },
                { tag: "Stop", text: "Stop", signal: "stop" },
                { tag: "Advance", text: "Advance", signal: "continuePlay" },
                { tag: "Jump to Bar", text: "Jump to Bar...", signal: "jumpToBarStart" },
                { tag: "Previous Marker", text: "Previous Marker", signal: "previousMarker" },
                { tag: "Next Marker", text: "Next Marker", signal: "nextMarker" },
                { tag: "Previous Bar", text: "Previous Bar", signal: "previousBar" },
                { tag: "Next Bar", text: "Next Bar", signal: "nextBar" },
                { tag: "Zoom In", text: "Zoom In Timeline", signal: "zoomIn" },
                { tag: "Zoom Out", text: "Zoom Out Timeline", signal: "zoomOut" },
                { tag: "Audio Manager", text: "Audio Manager...", signal: "audioManagerClicked" },
                { tag: "MIDI Manager", text: "MIDI Manager...", signal: "midiCommandsClicked" },
                { tag: "OSC Manager", text: "OSC Manager...", signal: "oscManagerClicked" },
                { tag: "About", text: "About Application...", signal: "aboutClicked" },
            ];
        }
        function test_entriesRaiseTheirSignals(data) {
            menu.canUndo = true;
            menu.canRedo = true;
            menu.canSave = true;
            menu.canShare = true;
            menu.showAudioManager = true;
            action(data.text).trigger();
            raisedOnly(data.signal);
        }

        function test_disabledEntriesRaiseNothing_data() {
            return [
                { tag: "Save Edits", text: "Save Edits", flag: "canSave" },
                { tag: "Share Edits", text: "Share Edits", flag: "canShare" },
                { tag: "Undo", text: "Undo", flag: "canUndo" },
                { tag: "Redo", text: "Redo", flag: "canRedo" },
                { tag: "Delete", text: "Delete", flag: "canDelete" },
                { tag: "Audio Manager", text: "Audio Manager...", flag: "showAudioManager" },
                { tag: "OSC Manager", text: "OSC Manager...", flag: "oscEnabled" },
            ];
        }
        function test_disabledEntriesRaiseNothing(data) {
            menu[data.flag] = false;
            action(data.text).trigger();
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

        function test_shortcutsAndLabels_data() {
            return [
                { tag: "Save Edits", text: "Save Edits", shortcut: "Ctrl+S", label: "Ctrl+S" },
                { tag: "Quit", text: "Quit Application", shortcut: "Ctrl+Q", label: "Ctrl+Q" },
                { tag: "Undo", text: "Undo", shortcut: "Ctrl+z", label: "Ctrl+Z" },
                { tag: "Redo", text: "Redo", shortcut: "Ctrl+shift+z", label: "Ctrl+Shift+Z" },
                { tag: "Delete", text: "Delete", shortcut: "backspace", label: "Backspace" },
                { tag: "Select All", text: "Select All", shortcut: "Ctrl+a", label: "Ctrl+A" },
                { tag: "Play/Pause", text: "Play/Pause", shortcut: " ", label: "Space" },
                { tag: "Stop", text: "Stop", shortcut: "Shift+ ", label: "Shift+Space" },
                { tag: "Advance", text: "Advance", shortcut: "Right", label: "Right Arrow" },
                { tag: "Jump to Bar", text: "Jump to Bar...", shortcut: "Ctrl+b", label: "Ctrl+B" },
                { tag: "Previous Marker", text: "Previous Marker", shortcut: ",", label: "," },
                { tag: "Next Marker", text: "Next Marker", shortcut: ".", label: "." },
                { tag: "Previous Bar", text: "Previous Bar", shortcut: "Shift+,", label: "Shift+," },
                { tag: "Next Bar", text: "Next Bar", shortcut: "Shift+.", label: "Shift+." },
                { tag: "Zoom In", text: "Zoom In Timeline", shortcut: "=", label: "=" },
                { tag: "Zoom Out", text: "Zoom Out Timeline", shortcut: "-", label: "-" },
                { tag: "Audio Manager", text: "Audio Manager...", shortcut: "Shift+Ctrl+G", label: "Shift+Ctrl+G" },
                { tag: "MIDI Manager", text: "MIDI Manager...", shortcut: "Shift+Ctrl+M", label: "Shift+Ctrl+M" },
                { tag: "OSC Manager", text: "OSC Manager...", shortcut: "Shift+Ctrl+O", label: "Shift+Ctrl+O" },
                { tag: "Download Latest Log", text: "Download Latest Log", shortcut: "", label: "" },
                { tag: "Share Edits", text: "Share Edits", shortcut: "", label: "" },
            ];
        }
        function test_shortcutsAndLabels(data) {
            const a = action(data.text);
            compare(a.shortcut === undefined ? "" : String(a.shortcut), data.shortcut);
            compare(mainMenu().formatShortCutAsNativeString(a.shortcut), data.label);
        }

        function test_macShortcutsStayAsWritten() {
            menu.platformName = "osx";
            compare(String(action("Save Edits").shortcut), "Cmd+S");
            compare(String(action("Redo").shortcut), "cmd+shift+z");
        }

        function test_keyboardShortcuts_data() {
            return [
                { tag: "Ctrl+S", key: Qt.Key_S, modifiers: Qt.ControlModifier, signal: "saveClicked" },
                { tag: "Ctrl+Z", key: Qt.Key_Z, modifiers: Qt.ControlModifier, signal: "undo" },
                { tag: "Ctrl+Shift+Z", key: Qt.Key_Z, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "redo" },
                { tag: "Backspace", key: Qt.Key_Backspace, modifiers: Qt.NoModifier, signal: "deleteSelected" },
                { tag: "Delete", key: Qt.Key_Delete, modifiers: Qt.NoModifier, signal: "deleteSelected" },
                { tag: "Ctrl+A", key: Qt.Key_A, modifiers: Qt.ControlModifier, signal: "selectAll" },
                { tag: "Space", key: Qt.Key_Space, modifiers: Qt.NoModifier, signal: "playPause" },
                { tag: "Shift+Space", key: Qt.Key_Space, modifiers: Qt.ShiftModifier, signal: "stop" },
                { tag: "Right", key: Qt.Key_Right, modifiers: Qt.NoModifier, signal: "continuePlay" },
                { tag: "Ctrl+B", key: Qt.Key_B, modifiers: Qt.ControlModifier, signal: "jumpToBarStart" },
                { tag: "comma", key: Qt.Key_Comma, modifiers: Qt.NoModifier, signal: "previousMarker" },
                { tag: "period", key: Qt.Key_Period, modifiers: Qt.NoModifier, signal: "nextMarker" },
                { tag: "Shift+comma", key: Qt.Key_Comma, modifiers: Qt.ShiftModifier, signal: "previousBar" },
                { tag: "Shift+period", key: Qt.Key_Period, modifiers: Qt.ShiftModifier, signal: "nextBar" },
                { tag: "equal", key: Qt.Key_Equal, modifiers: Qt.NoModifier, signal: "zoomIn" },
                { tag: "minus", key: Qt.Key_Minus, modifiers: Qt.NoModifier, signal: "zoomOut" },
                { tag: "Shift+Ctrl+G", key: Qt.Key_G, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "audioManagerClicked" },
                { tag: "Shift+Ctrl+M", key: Qt.Key_M, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "midiCommandsClicked" },
                { tag: "Shift+Ctrl+O", key: Qt.Key_O, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "oscManagerClicked" },
            ];
        }
        function test_keyboardShortcuts(data) {
            menu.canUndo = true;
            menu.canRedo = true;
            menu.canSave = true;
            menu.showAudioManager = true;
            keyClick(data.key, data.modifiers);
            raisedOnly(data.signal);
        }

        function test_keyboardShortcutsOfDisabledEntriesDoNothing() {
            keyClick(Qt.Key_S, Qt.ControlModifier);
            keyClick(Qt.Key_Z, Qt.ControlModifier);
            keyClick(Qt.Key_G, Qt.ControlModifier | Qt.ShiftModifier);
            menu.canDelete = false;
            keyClick(Qt.Key_Delete);
            keyClick(Qt.Key_Backspace);
            raisedOnly("");
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
