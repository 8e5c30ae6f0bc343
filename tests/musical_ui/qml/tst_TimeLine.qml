import QtQuick
import QtTest
import com.tarnwick.musical_ui

Item {
    id: top
    width: 1000
    height: 300

    TimeLine {
        id: timeline
        width: 890
        height: 220
        baseWidth: 2000
    }

    SignalSpy {
        id: clickedSpy
        target: timeline
        signalName: "timelineClicked"
    }

    SignalSpy {
        id: scaleSpy
        target: timeline
        signalName: "timelineScaleChanged"
    }

    TestCase {
        name: "TimeLine"
        when: windowShown

        property var flick: findChild(timeline, "timelineFlickable")
        property var content: findChild(timeline, "timelineContent")
        property var selectionRect: findChild(timeline, "selectionRect")
        // A point in the scroll area, left of any content edge.
        readonly property int laneY: 120

        function maxContentX() {
            return Math.max(0, flick.contentWidth - flick.width);
        }

        function init() {
            timeline.viewScale = 1.0;
            timeline.baseWidth = 2000;
            flick.contentX = 0;
            timeline.selectionActive = false;
            timeline.selectionStart = 0;
            timeline.selectionEnd = 0;
            clickedSpy.clear();
            scaleSpy.clear();
        }

        function test_zoomClamps_data() {
            return [
                {tag: "in", from: 1.0, zoomIn: true, expected: 1.6},
                {tag: "in at 3.7 stops at 4", from: 3.7, zoomIn: true, expected: 4.0},
                {tag: "in at 4", from: 4.0, zoomIn: true, expected: 4.0},
                {tag: "out", from: 2.0, zoomIn: false, expected: 1.4},
                {tag: "out at 0.5 stops at 0.15", from: 0.5, zoomIn: false, expected: 0.15},
            ];
        }
        function test_zoomClamps(data) {
            timeline.viewScale = data.from;
            if (data.zoomIn)
                timeline.zoomin(0.6, false);
            else
                timeline.zoomout(0.6, false);
            fuzzyCompare(timeline.viewScale, data.expected, 1e-9);
            verify(!timeline.enableZoomAnimation);
        }

        // The buttons animate; every step reaches the controller.
        function test_zoomButtonsAnimate_data() {
            return [
                {tag: "+", button: "zoomInButton", expected: 1.6},
                {tag: "-", button: "zoomOutButton", expected: 0.4},
            ];
        }
        function test_zoomButtonsAnimate(data) {
            mouseClick(findChild(timeline, data.button));
            verify(timeline.viewScale !== data.expected, "the change is animated");
            tryCompare(timeline, "viewScale", data.expected, 2000);
            verify(scaleSpy.count > 2, "intermediate values are reported");
            const last = scaleSpy.signalArguments[scaleSpy.count - 1];
            fuzzyCompare(last[0], data.expected, 1e-9);
            compare(last[1], false);
        }

        function test_ctrlWheelZoomsByATwelfth_data() {
            return [
                {tag: "forward", delta: 120, expected: 1 + 1 / 12},
                {tag: "backward", delta: -120, expected: 1 - 1 / 12},
            ];
        }
        function test_ctrlWheelZoomsByATwelfth(data) {
            mouseWheel(timeline, 400, laneY, 0, data.delta, Qt.NoButton, Qt.ControlModifier);
            fuzzyCompare(timeline.viewScale, data.expected, 1e-9); // at once: no animation
            compare(scaleSpy.count, 1);
            compare(flick.contentX, 0);
        }

        function test_wheelScrolls_data() {
            return [
                {tag: "down scrolls left", width: 2000, from: 100, dx: 0, dy: -120, expected: 75},
                {tag: "down stops at 0", width: 2000, from: 10, dx: 0, dy: -120, expected: 0},
                {tag: "up scrolls right", width: 2000, from: 100, dx: 0, dy: 120, expected: 125},
                {tag: "up stops at the end", width: 2000, from: -1, dx: 0, dy: 120, expected: -1},
                {tag: "narrow content stays at 0", width: 300, from: 0, dx: 0, dy: 120, expected: 0},
                {tag: "horizontal only does not scroll", width: 2000, from: 100, dx: -120, dy: 0, expected: 100},
                {tag: "the larger delta decides", width: 2000, from: 100, dx: -240, dy: 120, expected: 75},
            ];
        }
        function test_wheelScrolls(data) {
            timeline.baseWidth = data.width;
            const end = maxContentX();
            flick.contentX = data.from < 0 ? end - 10 : data.from;
            mouseWheel(timeline, 400, laneY, data.dx, data.dy);
            compare(flick.contentX, data.expected < 0 ? end : data.expected);
        }

        function test_wheelWithoutScrollDelta() {
            timeline.scrollDelta = 0;
            flick.contentX = 100;
            mouseWheel(timeline, 400, laneY, 0, 120);
            timeline.scrollDelta = 1.0;
            compare(flick.contentX, 100);
        }

        function test_rightButtonPans_data() {
            return [
                {tag: "drag left scrolls right", width: 2000, from: 0, dx: -300, expected: 300},
                {tag: "drag right stops at 0", width: 2000, from: 100, dx: 250, expected: 0},
                {tag: "stops at the end", width: 2000, from: 0, dx: -5000, expected: -1},
                {tag: "narrow content stays at 0", width: 300, from: 0, dx: -200, expected: 0},
            ];
        }
        function test_rightButtonPans(data) {
            timeline.baseWidth = data.width;
            flick.contentX = data.from;
            const x = 500;
            mousePress(flick, x, laneY, Qt.RightButton);
            for (let step = 1; step <= 4; ++step)
                mouseMove(flick, x + data.dx * step / 4, laneY, -1, Qt.RightButton);
            mouseRelease(flick, x + data.dx, laneY, Qt.RightButton);
            compare(flick.contentX, data.expected < 0 ? maxContentX() : data.expected);
            compare(clickedSpy.count, 0);
        }

        // Positions in content pixels; selection in base pixels.
        function test_selection_data() {
            return [
                {tag: "click seeks", scale: 1, active: false, path: [200], start: 200, end: 200, isActive: false,
                 click: 200},
                {tag: "drag right", scale: 1, active: false, path: [100, 150, 200], start: 100, end: 200,
                 isActive: true, click: -1},
                {tag: "drag left of the press point", scale: 1, active: false, path: [200, 160, 120], start: 120,
                 end: 200, isActive: true, click: -1},
                {tag: "left, then back right past it", scale: 1, active: false, path: [200, 150, 260], start: 200,
                 end: 260, isActive: true, click: -1},
                {tag: "click inside a selection clears it", scale: 1, active: true, path: [150], start: 150,
                 end: 150, isActive: false, click: 150},
                {tag: "drag outside a selection starts anew", scale: 1, active: true, path: [400, 450],
                 start: 400, end: 450, isActive: true, click: -1},
                {tag: "zoom 2", scale: 2, active: false, path: [100, 300], start: 50, end: 150, isActive: true,
                 click: -1},
                {tag: "click at zoom 2", scale: 2, active: false, path: [301], start: 150, end: 150,
                 isActive: false, click: 150},
            ];
        }
        function test_selection(data) {
            timeline.viewScale = data.scale;
            if (data.active) {
                timeline.selectionStart = 100;
                timeline.selectionEnd = 200;
                timeline.selectionActive = true;
            }
            const y = 60;
            mousePress(content, data.path[0], y);
            for (let i = 1; i < data.path.length; ++i)
                mouseMove(content, data.path[i], y);
            mouseRelease(content, data.path[data.path.length - 1], y);
            compare(timeline.selectionStart, data.start);
            compare(timeline.selectionEnd, data.end);
            compare(timeline.selectionActive, data.isActive);
            compare(timeline.selecting, false);
            compare(timeline.selectingStart, true);
            compare(clickedSpy.count, data.click < 0 ? 0 : 1);
            if (data.click >= 0)
                compare(clickedSpy.signalArguments[0][0], data.click);
        }

        function test_selectionRectangle_data() {
            return [
                {tag: "range", scale: 2, start: 10, end: 30, x: 20, width: 40},
                {tag: "zero width is 1 pixel", scale: 1, start: 10, end: 10, x: 10, width: 1},
            ];
        }
        function test_selectionRectangle(data) {
            timeline.viewScale = data.scale;
            timeline.selectionStart = data.start;
            timeline.selectionEnd = data.end;
            timeline.selectionActive = true;
            verify(selectionRect.visible);
            compare(selectionRect.x, data.x);
            compare(selectionRect.width, data.width);
        }

        function test_setViewStart_data() {
            return [
                {tag: "zoom 0.5", scale: 0.5, start: 400, contentX: 200},
                {tag: "zoom 2", scale: 2, start: 400, contentX: 800},
            ];
        }
        function test_setViewStart(data) {
            timeline.viewScale = data.scale;
            timeline.setViewStart(data.start);
            compare(flick.contentX, data.contentX);
            compare(timeline.viewStart, data.start);
            compare(timeline.viewEnd, Math.trunc((data.contentX - 30 + flick.width) / data.scale));
        }

        function test_calculateScaledPosition() {
            timeline.viewScale = 2;
            compare(timeline.calculateScaledPosition(80), 1000);
            compare(timeline.selectLargestWithSign(-3, 2), -3);
            compare(timeline.selectLargestWithSign(2, -2), 2);
        }
    }
}
