import QtQuick
import QtQuick.Window
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

// The edit-tool dialogs on their own: how the count dialogs read and step
// their number, which request OK sends, and what each dialog shows.
Item {
    id: top
    width: 400
    height: 300

    Component { id: caesuraTool; CaesuraTool {} }
    Component { id: clickTool; ClickTool {} }
    Component { id: cutTool; CutTool {} }
    Component { id: markerTool; MarkerTool {} }
    Component { id: oscTool; OscTool {} }
    Component { id: repeatTool; RepeatTool {} }
    Component { id: skipTool; SkipTool {} }
    Component { id: tempoTool; TempoTool {} }
    Component { id: transposeTool; TransposeTool {} }
    Component { id: vampTool; VampTool {} }

    Component { id: spyComponent; SignalSpy {} }

    // The bars of a long song as a tool controller hands them over: role
    // "bar" is the bar's label.
    ListModel { id: longSong }

    TestCase {
        name: "EditToolDialogs"
        when: windowShown

        readonly property var counts: ({
            "Repeat": { component: repeatTool, spin: "repeatCountInput" },
            "Tempo": { component: tempoTool, spin: "tempoScaleInput" },
            "Transpose": { component: transposeTool, spin: "transposeHalfStepsInput" },
            "Vamp": { component: vampTool, spin: "vampCountInput" }
        })

        function spy(dialog, signalName) {
            return createTemporaryObject(spyComponent, top, { target: dialog, signalName: signalName });
        }

        function open(component) {
            const dialog = createTemporaryObject(component, top);
            verify(dialog);
            return dialog;
        }

        // "<intValue> <text> <minus enabled> <plus enabled>"
        function state(dialog, spinName) {
            const spin = findChild(dialog, spinName);
            return dialog.intValue + " " + dialog.value + " " + spin.decrementButton.enabled + " "
                    + spin.incrementButton.enabled;
        }

        function test_countDialogsOpen_data() {
            return [
                { tag: "Repeat", expected: "2 2 true true" },
                { tag: "Tempo", expected: "100 100 true true" },
                { tag: "Transpose", expected: "0 0 true true" },
                { tag: "Vamp", expected: "0 \u221E false true" }
            ];
        }
        function test_countDialogsOpen(data) {
            const dialog = open(counts[data.tag].component);
            compare(state(dialog, counts[data.tag].spin), data.expected);
        }

        function test_validateInput_data() {
            return [
                { tag: "vamp 0", kind: "Vamp", text: "0", expected: "0 \u221E false true" },
                { tag: "vamp -3", kind: "Vamp", text: "-3", expected: "0 \u221E false true" },
                { tag: "vamp abc", kind: "Vamp", text: "abc", expected: "0 \u221E false true" },
                { tag: "vamp infinity sign", kind: "Vamp", text: "\u221E", expected: "0 \u221E false true" },
                { tag: "vamp 750", kind: "Vamp", text: "750", expected: "500 500 true false" },
                { tag: "vamp 12.9", kind: "Vamp", text: "12.9", expected: "12 12 true true" },
                { tag: "repeat 0", kind: "Repeat", text: "0", expected: "1 1 false true" },
                { tag: "repeat 900", kind: "Repeat", text: "900", expected: "500 500 true false" },
                { tag: "repeat abc keeps 2", kind: "Repeat", text: "abc", expected: "2 2 true true" },
                { tag: "repeat empty keeps 2", kind: "Repeat", text: "", expected: "2 2 true true" },
                { tag: "repeat 7", kind: "Repeat", text: " 7 ", expected: "7 7 true true" },
                { tag: "tempo 75", kind: "Tempo", text: "75", expected: "75 75 true true" },
                { tag: "tempo 10", kind: "Tempo", text: "10", expected: "50 50 false true" },
                { tag: "tempo 1e9", kind: "Tempo", text: "1e9", expected: "200 200 true false" },
                { tag: "tempo x keeps 100", kind: "Tempo", text: "x", expected: "100 100 true true" },
                { tag: "transpose -9", kind: "Transpose", text: "-9", expected: "-6 -6 false true" },
                { tag: "transpose 9", kind: "Transpose", text: "9", expected: "6 6 true false" },
                { tag: "transpose x keeps 0", kind: "Transpose", text: "x", expected: "0 0 true true" }
            ];
        }
        function test_validateInput(data) {
            const dialog = open(counts[data.kind].component);
            dialog.value = data.text;
            dialog.validateInput();
            compare(state(dialog, counts[data.kind].spin), data.expected);
        }

        // Every count dialog, the repeat's too, reads the text when typing ends.
        function test_editingFinishedValidates_data() {
            return [
                { tag: "Repeat", text: "900", expected: "500 500 true false" },
                { tag: "Tempo", text: "10", expected: "50 50 false true" },
                { tag: "Transpose", text: "x", expected: "0 0 true true" },
                { tag: "Vamp", text: "-1", expected: "0 \u221E false true" }
            ];
        }
        function test_editingFinishedValidates(data) {
            const dialog = open(counts[data.tag].component);
            const spin = findChild(dialog, counts[data.tag].spin);
            dialog.value = data.text;
            spin.editingFinished();
            compare(state(dialog, counts[data.tag].spin), data.expected);
        }

        // steps: "+" and "-" presses from the number `from` ("" keeps the default).
        function test_stepping_data() {
            return [
                { tag: "vamp plus from infinity", kind: "Vamp", from: "", steps: "+", expected: "1 1 true true" },
                { tag: "vamp minus from 1", kind: "Vamp", from: "", steps: "+-", expected: "0 \u221E false true" },
                { tag: "vamp plus to 500", kind: "Vamp", from: "499", steps: "+", expected: "500 500 true false" },
                { tag: "vamp minus from 3", kind: "Vamp", from: "3", steps: "-", expected: "2 2 true true" },
                { tag: "repeat minus to 1", kind: "Repeat", from: "", steps: "-", expected: "1 1 false true" },
                { tag: "repeat plus", kind: "Repeat", from: "", steps: "+", expected: "3 3 true true" },
                { tag: "tempo minus to 50", kind: "Tempo", from: "51", steps: "-", expected: "50 50 false true" },
                { tag: "transpose plus to 6", kind: "Transpose", from: "5", steps: "+", expected: "6 6 true false" },
                { tag: "transpose minus", kind: "Transpose", from: "", steps: "--", expected: "-2 -2 true true" }
            ];
        }
        function test_stepping(data) {
            const dialog = open(counts[data.kind].component);
            const spin = findChild(dialog, counts[data.kind].spin);
            if (data.from !== "") {
                dialog.value = data.from;
                dialog.validateInput();
            }
            for (const step of data.steps) {
                if (step === "+")
                    mouseClick(spin.incrementButton);
                else
                    mouseClick(spin.decrementButton);
            }
            compare(state(dialog, counts[data.kind].spin), data.expected);
        }

        function test_okSendsCreateOrChange_data() {
            const rows = [];
            for (const kind of ["Repeat", "Tempo", "Transpose", "Vamp"]) {
                rows.push({ tag: kind + " new", kind: kind, edit: false });
                rows.push({ tag: kind + " edit", kind: kind, edit: true });
            }
            return rows;
        }
        function test_okSendsCreateOrChange(data) {
            const dialog = open(counts[data.kind].component);
            dialog.isEdit = data.edit;
            const createSpy = spy(dialog, "create" + data.kind + "Request");
            const changeSpy = spy(dialog, "change" + data.kind + "Request");
            const closingSpy = spy(dialog, data.kind.toLowerCase() + "ToolClosing");
            dialog.show();
            // A number typed beyond the range is brought into it first.
            dialog.value = "900";
            mouseClick(findChild(dialog, "okButton"));
            const sent = data.edit ? changeSpy : createSpy;
            compare(sent.count, 1);
            compare((data.edit ? createSpy : changeSpy).count, 0);
            compare(sent.signalArguments[0][4], findChild(dialog, counts[data.kind].spin).to);
            compare(closingSpy.count, 1);
            verify(!dialog.visible);
        }

        function test_whatEachDialogShows_data() {
            return [
                { tag: "caesura", component: caesuraTool, title: "Create Caesura", edit: "Edit Caesura",
                  id: true, selectAll: false },
                { tag: "click", component: clickTool, title: "Change Click Resolution", edit: "Edit Click Resolution",
                  id: false, selectAll: false },
                { tag: "cut", component: cutTool, title: "Create Cut", edit: "Edit Cut", id: false, selectAll: false },
                { tag: "marker", component: markerTool, title: "Create Marker", edit: "Edit Marker", id: false,
                  selectAll: false },
                { tag: "OSC", component: oscTool, title: "Create OSC Command", edit: "Edit OSC Command", id: false,
                  selectAll: false },
                { tag: "repeat", component: repeatTool, title: "Create Repeat", edit: "Edit Repeat", id: false,
                  selectAll: false },
                { tag: "skip", component: skipTool, title: "Create Skip", edit: "Edit Skip", id: true,
                  selectAll: false },
                { tag: "tempo", component: tempoTool, title: "Scale Tempo", edit: "Edit Tempo Scale", id: false,
                  selectAll: true },
                { tag: "transpose", component: transposeTool, title: "Transpose Key", edit: "Edit Transposition",
                  id: false, selectAll: true },
                { tag: "vamp", component: vampTool, title: "Create Vamp", edit: "Edit Vamp", id: true,
                  selectAll: false }
            ];
        }
        function test_whatEachDialogShows(data) {
            const dialog = open(data.component);
            dialog.eventId = "X1";
            dialog.show();
            compare(dialog.title, data.title);
            compare(findChild(dialog, "eventIdLabel").visible, data.id);
            compare(findChild(dialog, "selectAllButton").visible, data.selectAll);
            dialog.isEdit = true;
            compare(dialog.title, data.edit);
        }

        function test_pointDialogsSendTheShift_data() {
            return [
                { tag: "caesura", component: caesuraTool, signalName: "createCaesuraRequest", shiftArgument: 2 },
                { tag: "OSC", component: oscTool, signalName: "createRequest", shiftArgument: 4 }
            ];
        }
        function test_pointDialogsSendTheShift(data) {
            const dialog = open(data.component);
            dialog.inShiftMax = 400;
            dialog.inShiftEnabled = true;
            dialog.inShift = 120;
            const createSpy = spy(dialog, data.signalName);
            dialog.show();
            mouseClick(findChild(dialog, "okButton"));
            compare(createSpy.count, 1);
            compare(createSpy.signalArguments[0][data.shiftArgument], 120);
        }

        // With no value offered the click dialog shows no icon and sends 0.
        // Every dialog's bar list shows as many rows as half the screen
        // holds, however low the dialog, lies under its box, and a bar far
        // down the song is picked with the mouse.
        function test_barListOfALongSong_data() {
            return [
                { tag: "caesura", component: caesuraTool },
                { tag: "marker", component: markerTool },
                { tag: "OSC", component: oscTool },
                { tag: "click", component: clickTool },
                { tag: "cut", component: cutTool },
                { tag: "skip", component: skipTool },
                { tag: "repeat", component: repeatTool },
                { tag: "tempo", component: tempoTool },
                { tag: "transpose", component: transposeTool },
                { tag: "vamp", component: vampTool }
            ];
        }
        function test_barListOfALongSong(data) {
            if (longSong.count === 0) {
                for (let bar = 1; bar <= 100; ++bar)
                    longSong.append({ bar: String(bar) });
            }
            const dialog = open(data.component);
            dialog.barModel = longSong;
            dialog.show();
            tryVerify(() => dialog.visible);
            const combo = findChild(dialog, "inBarInput");
            combo.currentIndex = 0;
            combo.choices.open();
            tryVerify(() => combo.choices.opened);
            const rows = Math.floor(Screen.height / 2);
            tryCompare(combo.choices, "height", rows);
            verify(rows > dialog.height, "the list is higher than its dialog");
            const win = combo.listWindow;
            tryVerify(() => win && win.visible);
            const box = combo.mapToGlobal(0, 0);
            compare(win.x, Math.round(box.x));
            compare(win.y, Math.round(box.y + combo.height - 1));
            compare(win.height, rows);

            const view = combo.choices.contentItem;
            view.positionViewAtIndex(79, ListView.Center);
            const row = view.itemAtIndex(79);
            verify(row !== null);
            mouseClick(row, 10, row.height / 2);
            tryVerify(() => !combo.choices.visible);
            compare(dialog.panel.inBar, "80");
            verify(!win.visible);
            dialog.close();
        }

        function test_clickWithoutValues() {
            const dialog = open(clickTool);
            dialog.clickCountModel = [];
            const createSpy = spy(dialog, "createClickRequest");
            dialog.show();
            compare(findChild(dialog, "clickIcon").source, "");
            mouseClick(findChild(dialog, "okButton"));
            compare(createSpy.signalArguments[0][4], 0);
        }

        function test_clickShowsTheIconOfItsValue() {
            const dialog = open(clickTool);
            dialog.clickCountModel = [8, 12, 4];
            dialog.clickCountIndex = 1;
            compare(dialog.intValue, 12);
            compare(findChild(dialog, "clickIcon").source, "qrc:/images/notehead-12.svg");
            tryCompare(findChild(dialog, "clickIcon"), "status", Image.Ready);
        }
    }
}
