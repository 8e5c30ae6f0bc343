import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 200

    FlatProgressBar {
        id: bar
        width: 300
    }

    WaitIndicator {
        id: wait
        y: 50
    }

    WaitWindow {
        id: waitWindow
        text: "Asking the server..."
    }

    SignalSpy {
        id: cancelSpy
        target: waitWindow
        signalName: "cancel"
    }

    TestCase {
        name: "Progress"
        when: windowShown

        function init() {
            bar.value = 0;
            wait.stop();
        }

        function test_tip_data() {
            return [
                { tag: "empty", value: 0, tip: 0, radius: 3 },
                { tag: "tip not yet past the radius", value: 0.04, tip: 0, radius: 0 },
                { tag: "first tip", value: 0.05, tip: 3.2, radius: 0 },
                { tag: "middle", value: 0.5, tip: 32, radius: 0 },
                { tag: "nearly full", value: 0.995, tip: 63.68, radius: 3 },
                { tag: "full", value: 1, tip: 64, radius: 3 },
            ];
        }

        function test_tip(data) {
            bar.value = data.value;
            const tip = findChild(bar, "tip");
            fuzzyCompare(tip.width, data.tip, 1e-9);
            compare(tip.radius, data.radius);
            compare(findChild(bar, "shine").visible, data.tip > 0);
            fuzzyCompare(findChild(bar, "fill").width, data.value * bar.contentItem.width, 1e-9);
        }

        function test_shine_lies_outside_the_tip_it_reads() {
            bar.value = 0.5;
            const shine = findChild(bar, "shine");
            compare(shine.source, findChild(bar, "tip"));
            for (let item = shine; item; item = item.parent)
                verify(item !== shine.source, "the shine is drawn inside the tip it reads");
            // It still covers the tip exactly.
            const origin = shine.mapToItem(shine.source, 0, 0);
            compare(origin.x, 0);
            compare(origin.y, 0);
            compare(shine.width, shine.source.width);
            compare(shine.height, shine.source.height);
        }

        function test_shine_restarts_on_every_value() {
            const stop = findChild(bar, "movingStop");
            const animation = findChild(bar, "shineAnimation");
            verify(animation !== null);
            for (const v of [0.3, 0.31, 1]) {
                bar.value = v;
                verify(animation.running);
                compare(stop.position, 0);
            }
            tryVerify(() => !animation.running, 3000);
            // Only the tip's last pixel column stays light.
            fuzzyCompare(stop.position, 63 / 64, 1e-9);
        }

        function test_shine_on_a_tip_of_no_width_stays_finite() {
            const stop = findChild(bar, "movingStop");
            const animation = findChild(bar, "shineAnimation");
            bar.value = 0.01;
            compare(findChild(bar, "tip").width, 0);
            tryVerify(() => !animation.running, 3000);
            verify(isFinite(stop.position));
            compare(stop.position, 0);
        }

        function test_start_ignores_zero_and_negative_times_data() {
            return [ { tag: "zero", time: 0 }, { tag: "negative", time: -3 }, { tag: "NaN", time: NaN } ];
        }

        function test_start_ignores_zero_and_negative_times(data) {
            const total = wait.totalTime;
            wait.start(data.time);
            verify(!wait.visible);
            verify(!wait.timer.running);
            compare(wait.totalTime, total);
        }

        function test_countdown() {
            wait.start(2);
            verify(wait.visible);
            verify(wait.timer.running);
            compare(wait.totalTime, 2);
            const started = wait.startTime;
            verify(started > 0);

            // A second start keeps the running countdown and only takes the new length.
            wait.start(4);
            compare(wait.startTime, started);
            compare(wait.totalTime, 4);

            // A tick at half time: half the pie.
            wait.startTime = Date.now() - 2000;
            wait.timer.triggered();
            verify(wait.progress >= 0.5 && wait.progress < 0.6);
            fuzzyCompare(wait.angle, wait.progress * 360, 1e-9);
            verify(wait.visible);

            // A tick past the end hides it with a full pie.
            wait.startTime = Date.now() - 5000;
            wait.timer.triggered();
            compare(wait.progress, 1);
            compare(wait.angle, 360);
            verify(!wait.visible);
            verify(!wait.timer.running);
        }

        function test_stop_hides_and_keeps_progress() {
            wait.start(10);
            wait.startTime = Date.now() - 1000;
            wait.timer.triggered();
            const progress = wait.progress;
            verify(progress > 0);
            wait.stop();
            verify(!wait.visible);
            verify(!wait.timer.running);
            compare(wait.progress, progress);
        }

        // The wait window runs its indicator only while shown; its button
        // and Escape ask to cancel.
        function test_wait_window() {
            cancelSpy.clear();
            const busy = findChild(waitWindow.contentItem, "busyIndicator");
            verify(!busy.running);
            waitWindow.visible = true;
            tryCompare(busy, "running", true);
            compare(findChild(waitWindow.contentItem, "message").text, "Asking the server...");
            mouseClick(findChild(waitWindow.contentItem, "cancelButton"));
            compare(cancelSpy.count, 1);
            const content = findChild(waitWindow.contentItem, "content");
            content.forceActiveFocus();
            content.Keys.escapePressed({key: Qt.Key_Escape, accepted: false});
            compare(cancelSpy.count, 2);
            waitWindow.visible = false;
            tryCompare(busy, "running", false);
        }
}
}
