import QtQuick
import QtTest
import com.tarnwick.musical_ui

// The timeline's item views: drag reports in base pixels at zoom 2, hover,
// and what items that are not editable or have OSC off still do.
Item {
    id: top
    width: 1200
    height: 200

    Item {
        id: lane
        y: 60
        width: 1200
        height: 16
    }

    Component {
        id: regionComponent
        TimeRegion {}
    }
    Component {
        id: markerComponent
        TimeLineMarker {}
    }
    Component {
        id: glyphComponent
        TimeLineGlyph {}
    }
    Component {
        id: caesuraComponent
        TimeLineCaesura {}
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "TimelineItems"
        when: windowShown

        // Beyond the drag threshold, so that the moves after it count whole.
        readonly property int threshold: 20

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, {target: target, signalName: signalName});
        }

        // Presses at (x, y) of item, passes the threshold, then moves by dx.
        // Moves go by the window, since the item moves along.
        function drag(item, x, y, dx) {
            const p = item.mapToItem(top, x, y);
            mousePress(top, p.x, p.y);
            mouseMove(top, p.x + threshold, p.y);
            mouseMove(top, p.x + threshold + dx / 2, p.y);
            mouseMove(top, p.x + threshold + dx, p.y);
            mouseRelease(top, p.x + threshold + dx, p.y);
        }

        function region(editable) {
            const r = createTemporaryObject(regionComponent, lane, {baseWidth: 25, baseColor: "#DAA520",
                                                                    editable: editable});
            r.viewScaleSet(2);
            r.basePositionSet(50);
            return r;
        }

        function test_regionGeometry() {
            const r = region(true);
            compare(r.x, 100);
            compare(r.width, 50);
            compare(r.z, 100);
            compare(r.height, 16);
            compare(findChild(r, "rightHandle").x, 47);
            r.viewScaleSet(4);
            compare(r.width, 100);
            compare(findChild(r, "rightHandle").x, 97, "the handle follows the zoom");
        }

        function test_regionDragReports_data() {
            return [
                {tag: "body", handle: "regionBody", at: 25, dx: 60, start: 80, end: 105, left: false,
                 right: false},
                {tag: "right handle", handle: "rightHandle", at: 1, dx: 150, start: 50, end: 150, left: false,
                 right: true},
                {tag: "left handle", handle: "leftHandle", at: 1, dx: 20, start: 60, end: 75, left: true,
                 right: false},
                {tag: "left handle past the right one", handle: "leftHandle", at: 1, dx: 300, start: 72,
                 end: 75, left: true, right: false},
            ];
        }
        function test_regionDragReports(data) {
            const r = region(true);
            const dragged = spy(r, "dragged");
            const target = data.handle === "regionBody" ? r : findChild(r, data.handle);
            drag(target, data.at, 8, data.dx);
            compare(dragged.count, 1);
            const args = dragged.signalArguments[0];
            compare(args[0], data.start);
            compare(args[1], data.end);
            compare(args[2], data.left);
            compare(args[3], data.right);
            verify(args[0] <= args[1] - 3, "start stays at least 3 before the end");
        }

        function test_regionHoverAndClick() {
            const r = region(false);
            const clicked = spy(r, "clicked");
            const dragged = spy(r, "dragged");
            mouseMove(r, 25, 8);
            compare(r.color, Qt.lighter("#DAA520", 1.3));
            mouseClick(r, 25, 8);
            compare(clicked.count, 1);
            drag(r, 25, 8, 60);
            compare(dragged.count, 0, "not editable: no drag");
            compare(r.x, 100);
            mouseMove(top, 5, 5);
            compare(r.color, Qt.color("#DAA520"));
        }

        function test_markerLabelAndDiamond() {
            const m = createTemporaryObject(markerComponent, lane, {labelText: " Letter A", basePosition: 100,
                                                                   viewScale: 1.5, editable: true});
            compare(m.x, 150);
            compare(m.height, 20);
            verify(!findChild(m, "markerDiamond").visible);
            m.visibleLabel = false;
            compare(m.height, 4);
            verify(findChild(m, "markerDiamond").visible);
            verify(!findChild(m, "markerLabel").visible);
            const tip = findChild(m, "markerToolTip");
            verify(!tip.visible);
            mouseMove(findChild(m, "markerDiamond"), 4, 4);
            tryCompare(tip, "visible", true);
            compare(tip.text, " Letter A");
            mouseMove(top, 5, 5);
        }

        function test_markerNotEditable() {
            const m = createTemporaryObject(markerComponent, lane, {labelText: " 120.00", basePosition: 100});
            const clicked = spy(m, "clicked");
            const doubleClicked = spy(m, "doubleClicked");
            const dragged = spy(m, "dragged");
            const label = findChild(m, "markerLabel");
            mouseMove(label, 5, 8);
            compare(label.color, Qt.color("white"));
            verify(!findChild(m, "labelSelectionFrame").visible, "no hover frame");
            mouseClick(label, 5, 8);
            compare(clicked.count, 0);
            mouseDoubleClickSequence(label, 5, 8);
            compare(doubleClicked.count, 1, "a double-click on the label still reports");
            drag(label, 5, 8, 50);
            compare(dragged.count, 0);
            compare(m.x, 100);
            mouseMove(top, 5, 5);
        }

        function test_markerDrag() {
            const m = createTemporaryObject(markerComponent, lane, {labelText: " Intro", basePosition: 100,
                                                                   viewScale: 2, editable: true});
            const dragged = spy(m, "dragged");
            drag(findChild(m, "markerLabel"), 5, 8, 40);
            compare(dragged.count, 1);
            compare(dragged.signalArguments[0][0], 120);
            compare(dragged.signalArguments[0][1], Math.trunc((240 + m.width) / 2));
        }

        function test_glyph_data() {
            return [
                {tag: "editable", editable: true, osc: true, clicks: 1, doubleClicks: 1, drags: 1, opacity: 1},
                {tag: "OSC off", editable: true, osc: false, clicks: 1, doubleClicks: 0, drags: 1, opacity: 0.3},
                {tag: "not editable", editable: false, osc: true, clicks: 0, doubleClicks: 0, drags: 0,
                 opacity: 1},
            ];
        }
        function test_glyph(data) {
            const g = createTemporaryObject(glyphComponent, lane, {basePosition: 100, viewScale: 2,
                                                                  editable: data.editable, enableOsc: data.osc});
            compare(g.x, 190, "centred on its position");
            fuzzyCompare(findChild(g, "glyphImage").opacity, data.opacity, 1e-6);
            const clicked = spy(g, "clicked");
            const doubleClicked = spy(g, "doubleClicked");
            const dragged = spy(g, "dragged");
            mouseClick(g, 10, 10);
            compare(clicked.count, data.clicks);
            mouseDoubleClickSequence(g, 10, 10);
            compare(doubleClicked.count, data.doubleClicks);
            clicked.clear();
            drag(g, 10, 10, 40);
            compare(dragged.count, data.drags);
            compare(clicked.count, 0, "a drag is no click");
            if (data.drags) {
                // The centre, (x + 10) / viewScale, as start and end.
                compare(dragged.signalArguments[0][0], 120);
                compare(dragged.signalArguments[0][1], 120);
            }
        }

        function test_caesura() {
            const c = createTemporaryObject(caesuraComponent, lane, {basePosition: 100, viewScale: 2,
                                                                    editable: true});
            compare(c.x, 200);
            compare(c.z, 200);
            const image = findChild(c, "caesuraImage");
            compare(image.sourceSize, Qt.size(9, 6));
            const clicked = spy(c, "clicked");
            const dragged = spy(c, "dragged");
            mouseClick(c, 5, 8);
            compare(clicked.count, 1);
            compare(dragged.count, 0, "released without a drag: only clicked");
            drag(c, 5, 8, 30);
            compare(dragged.count, 1);
            compare(dragged.signalArguments[0][0], 115);
            compare(dragged.signalArguments[0][1], Math.trunc((230 + 11) / 2));
        }

        function test_selectionFrames() {
            const r = region(true);
            const g = createTemporaryObject(glyphComponent, lane, {basePosition: 300, editable: true});
            for (const item of [r, g]) {
                const frame = findChild(item, "selectionFrame");
                verify(!frame.visible);
                item.selected = true;
                verify(frame.visible);
            }
        }
    }
}
