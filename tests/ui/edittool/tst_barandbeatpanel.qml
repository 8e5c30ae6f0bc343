import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 600
    height: 500

    VandTheme { id: theme }

    // Stands in for the bar list model: role "bar" is the bar's label.
    ListModel {
        id: bars
        ListElement { bar: "1" }
        ListElement { bar: "2" }
        ListElement { bar: "3" }
        ListElement { bar: "4" }
    }

    // The beats of each bar; the first bar is a pickup.
    readonly property var beatsOfBar: [[3, 4], [1, 2, 3, 4], [1, 2, 3], [1, 2, 3, 4, 5, 6]]

    Component {
        id: panelComponent
        BarAndBeatPanel {
            x: 10
            y: 10
            width: 450
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "BarAndBeatPanel"
        when: windowShown

        property var panel: null
        property var spies: ({})

        // A panel filled the way a tool controller fills it, which then
        // connects its beat refills to the update requests.
        function makePanel(properties) {
            panel = createTemporaryObject(panelComponent, top, properties || {});
            verify(panel !== null);
            const inBar = pick("inBarInput");
            const outBar = pick("outBarInput");
            inBar.model = bars;
            outBar.model = bars;
            inBar.currentIndex = 1;
            outBar.currentIndex = 2;
            pick("inBeatInput").model = top.beatsOfBar[1];
            pick("outBeatInput").model = top.beatsOfBar[2];
            pick("inBeatInput").currentIndex = 1;
            pick("outBeatInput").currentIndex = 1;
            panel.inBeatInputUpdateRequest.connect(row => { pick("inBeatInput").model = top.beatsOfBar[row]; });
            panel.outBeatInputUpdateRequest.connect(row => { pick("outBeatInput").model = top.beatsOfBar[row]; });
            spies = {};
            for (const name of ["inBeatInputUpdateRequest", "outBeatInputUpdateRequest", "inBarInputChanged",
                                "inBeatInputChanged", "outBarInputChanged", "outBeatInputChanged", "pressEnter"])
                spies[name] = createTemporaryObject(spyComponent, top, { target: panel, signalName: name });
            mouseMove(top, top.width - 1, top.height - 1);
            return panel;
        }

        function pick(name) {
            return findChild(panel, name);
        }

        function count(name) {
            return spies[name].count;
        }

        function openList(combo) {
            combo.comboControl.forceActiveFocus();
            keyClick(Qt.Key_Space);
            tryVerify(() => combo.choices.opened);
            const view = combo.choices.contentItem;
            tryVerify(() => view.count === combo.count);
            view.forceLayout();
            return view;
        }

        function test_labels_data() {
            return [
                { tag: "range", duration: true, shift: false,
                  texts: { inBarLabel: "In Bar", inBeatLabel: "In Beat", outBarLabel: "Out Bar", outBeatLabel: "Out Beat" },
                  shown: ["inBarInput", "inBeatInput", "outBarInput", "outBeatInput"],
                  hidden: ["microshiftColumn", "inShiftSlider", "outShiftSlider"] },
                { tag: "point", duration: false, shift: false,
                  texts: { inBarLabel: "Bar", inBeatLabel: "Beat" },
                  shown: ["inBarInput", "inBeatInput"],
                  hidden: ["outBarLabel", "outBeatLabel", "outBarInput", "outBeatInput", "microshiftColumn"] },
                { tag: "point with microshift", duration: false, shift: true,
                  texts: { inBarLabel: "Bar", inBeatLabel: "Beat", inShiftLabel: "Microshift" },
                  shown: ["inBarInput", "inBeatInput", "inShiftSlider"],
                  hidden: ["outBarInput", "outBeatInput", "outShiftLabel", "outShiftSlider"] },
                { tag: "range with microshift", duration: true, shift: true,
                  texts: { inBarLabel: "In Bar", inShiftLabel: "In Shift", outShiftLabel: "Out Microshift" },
                  shown: ["outBarInput", "outBeatInput", "inShiftSlider", "outShiftSlider"],
                  hidden: [] },
            ];
        }

        function test_labels(data) {
            makePanel({ hasDuration: data.duration, hasMicroshift: data.shift });
            for (const name in data.texts) {
                compare(pick(name).text, data.texts[name], name);
                compare(pick(name).font.pixelSize, theme.default_font.pixelSize);
            }
            for (const name of data.shown)
                verify(pick(name).visible, name + " is hidden");
            for (const name of data.hidden)
                verify(!pick(name).visible, name + " is shown");
            verify(!pick("selectAllButton").visible);
            // Hidden pickers are still there for the controller to fill.
            compare(pick("outBarInput").count, bars.count);
        }

        function test_bar_change_asks_for_its_beats_data() {
            return [
                { tag: "in: click", bar: "inBarInput", how: "click", row: 3 },
                { tag: "in: Return in the list", bar: "inBarInput", how: "return", row: 2 },
                { tag: "in: Space in the list", bar: "inBarInput", how: "space", row: 2 },
                { tag: "in: code", bar: "inBarInput", how: "code", row: 0 },
                { tag: "out: click", bar: "outBarInput", how: "click", row: 0 },
                { tag: "out: Return in the list", bar: "outBarInput", how: "return", row: 3 },
                { tag: "out: Space in the list", bar: "outBarInput", how: "space", row: 3 },
                { tag: "out: code", bar: "outBarInput", how: "code", row: 3 },
            ];
        }

        // Whatever changes a bar, its beat list follows: a beat list of
        // another bar would let the dialog submit a beat the bar lacks.
        function test_bar_change_asks_for_its_beats(data) {
            makePanel();
            const isIn = data.bar === "inBarInput";
            const combo = pick(data.bar);
            const before = combo.currentIndex;
            if (data.how === "code") {
                combo.currentIndex = data.row;
            } else {
                const view = openList(combo);
                if (data.how === "click") {
                    const row = view.itemAtIndex(data.row);
                    mouseClick(row, 10, row.height / 2);
                } else {
                    const steps = data.row - before;
                    for (let i = 0; i < Math.abs(steps); ++i)
                        keyClick(steps > 0 ? Qt.Key_Down : Qt.Key_Up);
                    keyClick(data.how === "space" ? Qt.Key_Space : Qt.Key_Return);
                }
                tryVerify(() => !combo.choices.visible);
            }
            compare(combo.currentIndex, data.row);
            const request = isIn ? "inBeatInputUpdateRequest" : "outBeatInputUpdateRequest";
            const other = isIn ? "outBeatInputUpdateRequest" : "inBeatInputUpdateRequest";
            compare(count(request), 1);
            compare(spies[request].signalArguments[0][0], data.row);
            compare(count(other), 0);
            compare(count(isIn ? "inBarInputChanged" : "outBarInputChanged"), 1);
            compare(count(isIn ? "outBarInputChanged" : "inBarInputChanged"), 0);
            const beats = pick(isIn ? "inBeatInput" : "outBeatInput");
            compare(beats.count, top.beatsOfBar[data.row].length);
            compare(isIn ? panel.inBar : panel.outBar, bars.get(data.row).bar);
        }

        function test_chosen_row_again_asks_nothing_data() {
            return [
                { tag: "click", how: "click" },
                { tag: "Return", how: "return" },
            ];
        }

        function test_chosen_row_again_asks_nothing(data) {
            makePanel();
            const combo = pick("inBarInput");
            const view = openList(combo);
            if (data.how === "click") {
                const row = view.itemAtIndex(combo.currentIndex);
                mouseClick(row, 10, row.height / 2);
            } else {
                keyClick(Qt.Key_Return);
            }
            tryVerify(() => !combo.choices.visible);
            compare(combo.currentIndex, 1);
            compare(count("inBeatInputUpdateRequest"), 0);
            compare(count("inBarInputChanged"), 0);
            compare(pick("inBeatInput").currentIndex, 1);
        }

        function test_beat_changes_report_only_themselves() {
            makePanel();
            pick("inBeatInput").currentIndex = 3;
            pick("outBeatInput").currentIndex = 2;
            compare(count("inBeatInputChanged"), 1);
            compare(count("outBeatInputChanged"), 1);
            compare(count("inBeatInputUpdateRequest"), 0);
            compare(count("outBeatInputUpdateRequest"), 0);
            compare(panel.inBeat, "4");
            compare(panel.outBeat, "3");
        }

        function test_select_all() {
            makePanel({ showSelectAll: true });
            const button = pick("selectAllButton");
            verify(button.visible);
            compare(button.width, 130);
            compare(button.height, 30);
            mouseClick(button);
            compare(panel.inBar, "1");
            compare(panel.inBeat, "3");
            compare(panel.outBar, "4");
            compare(panel.outBeat, "6");
            compare(count("inBeatInputUpdateRequest"), 1);
            compare(count("outBeatInputUpdateRequest"), 1);
            compare(count("inBarInputChanged"), 1);
            compare(count("outBarInputChanged"), 1);
            // Selecting all again changes nothing and asks nothing.
            panel.selectAll();
            compare(count("inBeatInputUpdateRequest"), 1);
            compare(count("outBeatInputUpdateRequest"), 1);
            compare(count("inBarInputChanged"), 1);
        }

        function test_enter_on_a_closed_picker_data() {
            return [
                { tag: "in bar", name: "inBarInput" },
                { tag: "in beat", name: "inBeatInput" },
                { tag: "out bar", name: "outBarInput" },
                { tag: "out beat", name: "outBeatInput" },
            ];
        }

        function test_enter_on_a_closed_picker(data) {
            makePanel();
            pick(data.name).comboControl.forceActiveFocus();
            keyClick(Qt.Key_Return);
            keyClick(Qt.Key_Enter);
            compare(count("pressEnter"), 2);
            compare(count("inBeatInputUpdateRequest") + count("outBeatInputUpdateRequest"), 0);
        }

        function test_microshift_sliders() {
            makePanel({ hasMicroshift: true, inMinMicroshift: -10, inMaxMicroshift: 40, outMaxMicroshift: 20 });
            const inSlider = pick("inShiftSlider");
            const outSlider = pick("outShiftSlider");
            compare(inSlider.from, -10);
            compare(inSlider.to, 40);
            compare(outSlider.to, 20);
            compare(panel.inShift, 0);
            verify(!inSlider.showZeroMark);
            compare(inSlider.width, 150);
            panel.inShift = 2.6;
            compare(panel.inMicroshiftValue, 2.6);
            compare(findChild(inSlider, "inShiftToolTip").text, "Value: 3");
            inSlider.forceActiveFocus();
            keyClick(Qt.Key_Right);
            fuzzyCompare(panel.inShift, 7.6, 1e-9);
            tryVerify(() => findChild(inSlider, "inShiftToolTip").visible);
            panel.inMaxMicroshift = 5;
            compare(panel.inShift, 5);
            panel.inShiftEnabled = false;
            verify(!inSlider.enabled);
            panel.outShift = 12;
            compare(panel.outMicroshiftValue, 12);
        }

        function test_sizes() {
            makePanel({ hasMicroshift: true });
            compare(panel.comboBoxWidth, 100);
            compare(pick("barColumn").width, 100);
            compare(pick("beatColumn").width, 100);
            compare(panel.height, panel.panelHeight);
            verify(panel.panelHeight > 0);
            compare(panel.inBarModel, bars);
            const lone = createTemporaryQmlObject(
                "import QtQuick; import com.tarnwick.vand_ui; Item { width: 320; height: 200;"
                + " property alias panel: p; BarAndBeatPanel { id: p } }", top);
            compare(lone.panel.width, 320);
        }
    }
}
