import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

// The menu's keyboard shortcuts on a menu that was never opened (its popups
// not built yet), and once it has been built: each key raises its signal once.
Item {
    id: host
    width: 900
    height: 700

    // The window the Quit entry asks to close.
    Item {
        id: fakeWindow
        property int closeCount: 0
        function close() { closeCount += 1; }
    }

    Component {
        id: menuComponent
        ResponsiveMenu {
            x: 10
            y: 10
            platformName: "linux"
            rootWindow: fakeWindow
            canUndo: true
            canRedo: true
            canSave: true
            showAudioManager: true
        }
    }

    TestCase {
        name: "ResponsiveMenuShortcuts"
        when: windowShown

        readonly property var signalNames: [
            "audioManagerClicked", "midiCommandsClicked", "oscManagerClicked", "jumpToBarStart", "saveClicked",
            "playPause", "stop", "continuePlay", "previousMarker", "nextMarker", "previousBar", "nextBar",
            "zoomIn", "zoomOut", "selectAll", "deleteSelected", "undo", "redo"
        ]

        function shortcutRows() {
            return [
                { tag: "Save Edits", key: Qt.Key_S, modifiers: Qt.ControlModifier, signal: "saveClicked" },
                { tag: "Undo", key: Qt.Key_Z, modifiers: Qt.ControlModifier, signal: "undo" },
                { tag: "Redo", key: Qt.Key_Z, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "redo" },
                { tag: "Delete", key: Qt.Key_Backspace, modifiers: Qt.NoModifier, signal: "deleteSelected" },
                { tag: "Delete key", key: Qt.Key_Delete, modifiers: Qt.NoModifier, signal: "deleteSelected" },
                { tag: "Select All", key: Qt.Key_A, modifiers: Qt.ControlModifier, signal: "selectAll" },
                { tag: "Play/Pause", key: Qt.Key_Space, modifiers: Qt.NoModifier, signal: "playPause" },
                { tag: "Stop", key: Qt.Key_Space, modifiers: Qt.ShiftModifier, signal: "stop" },
                { tag: "Advance", key: Qt.Key_Right, modifiers: Qt.NoModifier, signal: "continuePlay" },
                { tag: "Jump to Bar", key: Qt.Key_B, modifiers: Qt.ControlModifier, signal: "jumpToBarStart" },
                { tag: "Previous Marker", key: Qt.Key_Comma, modifiers: Qt.NoModifier, signal: "previousMarker" },
                { tag: "Next Marker", key: Qt.Key_Period, modifiers: Qt.NoModifier, signal: "nextMarker" },
                { tag: "Previous Bar", key: Qt.Key_Comma, modifiers: Qt.ShiftModifier, signal: "previousBar" },
                { tag: "Next Bar", key: Qt.Key_Period, modifiers: Qt.ShiftModifier, signal: "nextBar" },
                { tag: "Zoom In", key: Qt.Key_Equal, modifiers: Qt.NoModifier, signal: "zoomIn" },
                { tag: "Zoom Out", key: Qt.Key_Minus, modifiers: Qt.NoModifier, signal: "zoomOut" },
                { tag: "Audio Manager", key: Qt.Key_G, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "audioManagerClicked" },
                { tag: "MIDI Manager", key: Qt.Key_M, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "midiCommandsClicked" },
                { tag: "OSC Manager", key: Qt.Key_O, modifiers: Qt.ControlModifier | Qt.ShiftModifier, signal: "oscManagerClicked" },
            ];
        }

        // A fresh menu with a counter per signal.
        function freshMenu() {
            const menu = createTemporaryObject(menuComponent, host);
            verify(menu);
            const counts = {};
            for (const name of signalNames) {
                counts[name] = 0;
                menu[name].connect(function() { counts[name] += 1; });
            }
            return { menu: menu, counts: counts };
        }

        function raisedOnly(counts, signal) {
            for (const name of signalNames)
                compare(counts[name], name === signal ? 1 : 0, name);
        }

        function test_shortcutsBeforeTheMenuWasOpened_data() { return shortcutRows(); }
        function test_shortcutsBeforeTheMenuWasOpened(data) {
            const fresh = freshMenu();
            compare(findChild(fresh.menu, "mainMenu"), null);
            keyClick(data.key, data.modifiers);
            raisedOnly(fresh.counts, data.signal);
            // Pressing a key builds nothing.
            compare(findChild(fresh.menu, "mainMenu"), null);
        }

        function test_shortcutsOnceTheMenuWasOpened_data() { return shortcutRows(); }
        function test_shortcutsOnceTheMenuWasOpened(data) {
            const fresh = freshMenu();
            mouseClick(fresh.menu);
            const main = findChild(fresh.menu, "mainMenu");
            verify(main);
            tryVerify(function() { return main.opened; });
            main.close();
            tryVerify(function() { return !main.visible; });
            keyClick(data.key, data.modifiers);
            raisedOnly(fresh.counts, data.signal);
        }

        function test_quitBeforeTheMenuWasOpened() {
            const fresh = freshMenu();
            fakeWindow.closeCount = 0;
            keyClick(Qt.Key_Q, Qt.ControlModifier);
            compare(fakeWindow.closeCount, 1);
            compare(findChild(fresh.menu, "mainMenu"), null);
        }
    }
}
