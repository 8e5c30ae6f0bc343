import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

// The MIDI manager's lamp, command row and window, without a controller.
Item {
    id: top
    width: 700
    height: 200

    VandTheme { id: theme }

    Indicator { id: lamp }

    MidiManagerCommand {
        id: row
        y: 40
        midiStatusModel: ListModel {
            ListElement { displayname: "Note On"; value: 144 }
            ListElement { displayname: "Note Off"; value: 128 }
            ListElement { displayname: "Control Change"; value: 176 }
        }
    }

    MidiManager { id: manager }

    Component {
        id: rowComponent
        MidiManagerCommand {}
    }

    SignalSpy { id: statusSpy; target: row; signalName: "midiStatusChanged" }
    SignalSpy { id: channelSpy; target: row; signalName: "channelChanged" }
    SignalSpy { id: noteSpy; target: row; signalName: "noteChanged" }
    SignalSpy { id: learnSpy; target: row; signalName: "learnClicked" }
    SignalSpy { id: sourceSpy; target: manager; signalName: "sourceSelected" }

    TestCase {
        name: "MidiManager"
        when: windowShown

        function child(item, name) {
            const found = findChild(item, name);
            verify(found, "no child named " + name);
            return found;
        }

        // What a user's pick does: the list's own index changes.
        function pick(item, name, index) {
            child(item, name).comboControl.currentIndex = index;
        }

        function init() {
            row.initializing = true;
            row.midiStatusIndex = 3;
            row.channelIndex = -1;
            row.midiNoteIndex = -1;
            row.enabledCommand = true;
            row.initializing = false;
            for (const spy of [statusSpy, channelSpy, noteSpy, learnSpy, sourceSpy])
                spy.clear();
            manager.sourceModel = ["Keyboard", "Pads", "Drums"];
            manager.sourceIndex = 0;
            manager.showMSCOptions = false;
        }

        function test_lampColour_data() {
            return [
                { tag: "off", value: false, learning: false, colour: theme.off_indicator_color },
                { tag: "on", value: true, learning: false, colour: theme.on_indicator_color },
                { tag: "learning", value: false, learning: true, colour: "#87CEEB" },
                { tag: "learning wins over on", value: true, learning: true, colour: "#87CEEB" },
            ];
        }
        function test_lampColour(data) {
            lamp.value = data.value;
            lamp.learning = data.learning;
            verify(Qt.colorEqual(lamp.color, data.colour), String(lamp.color));
        }

        function test_lampIsARoundOfItsSize() {
            lamp.size = 24;
            compare(lamp.width, 24);
            compare(lamp.height, 24);
            compare(lamp.radius, 12);
        }

        function test_picksAreReported_data() {
            return [
                { tag: "status: its value", list: "statusList", index: 2, spy: statusSpy, sent: 176 },
                { tag: "channel: its index", list: "channelList", index: 15, spy: channelSpy, sent: 15 },
                { tag: "note: its index", list: "noteList", index: 60, spy: noteSpy, sent: 60 },
            ];
        }
        function test_picksAreReported(data) {
            pick(row, data.list, data.index);
            compare(data.spy.count, 1);
            compare(data.spy.signalArguments[0][0], data.sent);
            const total = statusSpy.count + channelSpy.count + noteSpy.count;
            compare(total, 1);
        }

        function test_valuesSetWhileInitializingAreNotReported() {
            row.initializing = true;
            row.midiStatusIndex = 0;
            row.channelIndex = 4;
            row.midiNoteIndex = 100;
            pick(row, "noteList", 101);
            row.initializing = false;
            compare(statusSpy.count + channelSpy.count + noteSpy.count, 0);
            compare(child(row, "statusList").currentIndex, 0);
            compare(child(row, "channelList").displayText, "5");
            compare(child(row, "noteList").displayText, "101");
        }

        // After the user's own pick, a value the controller shows later
        // still reaches the lists.
        function test_valuesShownAfterAPick() {
            pick(row, "statusList", 1);
            pick(row, "channelList", 2);
            pick(row, "noteList", 3);
            compare(row.midiStatusIndex, 1);
            compare(row.channelIndex, 2);
            compare(row.midiNoteIndex, 3);
            row.initializing = true;
            row.midiStatusIndex = 2;
            row.channelIndex = 9;
            row.midiNoteIndex = 64;
            row.initializing = false;
            compare(child(row, "statusList").currentIndex, 2);
            compare(child(row, "channelList").currentIndex, 9);
            compare(child(row, "noteList").currentIndex, 64);
        }

        function test_noStatusShowsNothing() {
            row.midiStatusIndex = 3; // one past the last entry
            compare(child(row, "statusList").displayText, "");
        }

        function test_disabledRow() {
            row.enabledCommand = false;
            for (const name of ["statusList", "channelList", "noteList", "learnButton"])
                verify(!child(row, name).enabled, name);
            row.enabledCommand = true;
            mouseClick(child(row, "learnButton"));
            compare(learnSpy.count, 1);
        }

        function test_columnWidths() {
            const fresh = createTemporaryObject(rowComponent, top);
            compare(fresh.implicitWidth, 125 + 150 + 75 + 75 + 100 + 40);
            fresh.columnWidths = [100, 100, 100, 100, 100, 100];
            tryCompare(fresh, "implicitWidth", 600); // the row lays out on the next polish
            compare(fresh.height, 35);
            compare(fresh.commandName, "Command");
        }

        function test_windowIsFixedInWidthAndFitsItsRows() {
            compare(manager.minimumWidth, 660);
            compare(manager.maximumWidth, 660);
            compare(manager.minimumHeight, manager.maximumHeight);
            manager.show(); // a hidden window lays nothing out
            const before = manager.maximumHeight;
            const added = createTemporaryObject(rowComponent, manager.commandColumnObject);
            tryCompare(manager, "maximumHeight", before + added.height);
            compare(manager.height, manager.maximumHeight);
            manager.close();
            verify(!manager.visible);
        }

        // The user's choice is reported and shown; a later selection from
        // the controller still moves the list.
        function test_choosingAnInput() {
            const list = child(manager.contentItem, "sourceList");
            compare(list.count, 3);
            list.comboControl.currentIndex = 2;
            list.comboControl.triggerActivated();
            compare(sourceSpy.count, 1);
            compare(sourceSpy.signalArguments[0][0], 2);
            compare(manager.sourceIndex, 2);
            manager.sourceIndex = 1;
            compare(list.currentIndex, 1);
            compare(list.displayText, "Pads");
        }

        function test_noInputs() {
            manager.sourceModel = [];
            const list = child(manager.contentItem, "sourceList");
            compare(list.count, 0);
            compare(list.displayText, "");
        }

        function test_mscRowOnlyOnRequest() {
            const mscRow = child(manager.contentItem, "mscRow");
            verify(!mscRow.visible);
            compare(child(manager.contentItem, "mscDeviceId").status, Loader.Null);
        }

        function test_headers() {
            const header = child(manager.contentItem, "commandHeader");
            const labels = [];
            for (let i = 0; i < header.children.length; ++i) {
                if (header.children[i].text !== undefined)
                    labels.push(header.children[i].text);
            }
            compare(labels, ["Command", "MIDI Status", "Channel", "Note", "Learn", "Status"]);
        }
    }
}
