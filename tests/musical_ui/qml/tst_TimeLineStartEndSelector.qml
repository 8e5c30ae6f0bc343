import QtQuick
import QtTest
import com.tarnwick.musical_ui

Item {
    id: top
    width: 600
    height: 300

    Component {
        id: selectorComponent
        TimeLineStartEndSelector {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "TimeLineStartEndSelector"
        when: windowShown

        function test_layout_data() {
            return [
                {tag: "in only", hasOut: false, selectAll: true, columns: 2, inBar: "Bar", inBeat: "Beat",
                 button: false},
                {tag: "in and out", hasOut: true, selectAll: true, columns: 4, inBar: "In Bar",
                 inBeat: "In Beat", button: true},
                {tag: "in and out without Select All", hasOut: true, selectAll: false, columns: 4,
                 inBar: "In Bar", inBeat: "In Beat", button: false},
            ];
        }
        function test_layout(data) {
            const s = createTemporaryObject(selectorComponent, top, {hasOut: data.hasOut,
                                                                    showSelectAll: data.selectAll});
            compare(findChild(s, "selectorGrid").columns, data.columns);
            compare(findChild(s, "inBarHeader").text, data.inBar);
            compare(findChild(s, "inBeatHeader").text, data.inBeat);
            compare(findChild(s, "outBarHeader").visible, data.hasOut);
            compare(findChild(s, "outBarSelector").visible, data.hasOut);
            compare(findChild(s, "outBeatSelector").visible, data.hasOut);
            compare(findChild(s, "selectAllButton").visible, data.button);
            verify(s.implicitHeight > 0);
        }

        function test_barChangesAreReported() {
            const s = createTemporaryObject(selectorComponent, top, {hasOut: true, barList: ["1", "2", "8A"]});
            const starts = createTemporaryObject(spyComponent, top, {target: s, signalName: "changedStartBarIndex"});
            const ends = createTemporaryObject(spyComponent, top, {target: s, signalName: "changedEndBarIndex"});
            const all = createTemporaryObject(spyComponent, top, {target: s, signalName: "selectAll"});
            s.inBarControl.currentIndex = 2;
            compare(starts.count, 1);
            compare(starts.signalArguments[0][0], 2);
            compare(s.inBar, "8A");
            s.outBarControl.currentIndex = 1;
            compare(ends.count, 1);
            compare(ends.signalArguments[0][0], 1);
            compare(starts.count, 1);
            mouseClick(findChild(s, "selectAllButton"));
            compare(all.count, 1);
        }
    }
}
