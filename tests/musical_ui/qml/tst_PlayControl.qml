import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

Item {
    id: top
    width: 600
    height: 400

    PlayControl {
        id: control
        x: 20
        y: 20
    }

    Component {
        id: playControlComponent
        PlayControl {}
    }

    SignalSpy { id: playSpy; target: control; signalName: "play" }
    SignalSpy { id: stopSpy; target: control; signalName: "stop" }
    SignalSpy { id: pauseSpy; target: control; signalName: "pause" }
    SignalSpy { id: fadeSpy; target: control; signalName: "fade" }
    SignalSpy { id: continueSpy; target: control; signalName: "continueFlow" }
    SignalSpy { id: nextSpy; target: control; signalName: "nextSong" }
    SignalSpy { id: prevSpy; target: control; signalName: "prevSong" }

    TestCase {
        name: "PlayControl"
        when: windowShown

        readonly property var spies: ({ play: playSpy, stop: stopSpy, pause: pauseSpy, fade: fadeSpy,
                                         continueFlow: continueSpy, nextSong: nextSpy, prevSong: prevSpy })

        function button(name) {
            const found = findChild(control, name);
            verify(found, "no button " + name);
            return found;
        }

        // The tint and the glow are built the first time they show.
        function shown(item, name) {
            const found = findChild(item, name);
            return found !== null && found.visible;
        }

        function openFadeMenu(fade) {
            mousePress(fade);
            tryVerify(function() {
                const menu = findChild(control, "fadeMenu");
                return menu !== null && menu.opened;
            }, 5000);
            return findChild(control, "fadeMenu");
        }

        function init() {
            control.showFade = true;
            control.pauseEnabled = false;
            control.fadeEnabled = false;
            control.pauseToggled = false;
            control.stopToggled = false;
            control.highlightContinueButton = false;
            for (const name in spies)
                spies[name].clear();
        }

        function cleanup() {
            const menu = findChild(control, "fadeMenu");
            if (menu && menu.opened)
                menu.close();
        }

        // A new bar, before anything plays: Pause and Fade are disabled,
        // nothing is toggled, Exit Vamp does not glow.
        function test_startState() {
            const fresh = createTemporaryObject(playControlComponent, top, { x: 20, y: 100 });
            verify(fresh);
            for (const name of ["pauseButton", "fadeButton"])
                verify(!findChild(fresh, name).enabled, name);
            for (const name of ["prevButton", "nextButton", "stopButton", "playButton", "exitVampButton"])
                verify(findChild(fresh, name).enabled, name);
            // Nothing shows a tint or a glow, so none is built yet.
            for (const name of ["stopButton", "pauseButton", "exitVampButton"])
                verify(!findChild(findChild(fresh, name), "tint"), name);
            verify(!findChild(findChild(fresh, "exitVampButton"), "glow"));
            verify(!findChild(fresh, "fadeMenu"));
        }

        function test_buttonsRaiseTheirSignals_data() {
            return [
                { tag: "Prev", name: "prevButton", signal: "prevSong" },
                { tag: "Next", name: "nextButton", signal: "nextSong" },
                { tag: "Stop", name: "stopButton", signal: "stop" },
                { tag: "Play", name: "playButton", signal: "play" },
                { tag: "Pause", name: "pauseButton", signal: "pause" },
                { tag: "Exit Vamp", name: "exitVampButton", signal: "continueFlow" },
                { tag: "Fade", name: "fadeButton", signal: "fade" },
            ];
        }
        function test_buttonsRaiseTheirSignals(data) {
            control.pauseEnabled = true;
            control.fadeEnabled = true;
            mouseClick(button(data.name));
            for (const name in spies)
                compare(spies[name].count, name === data.signal ? 1 : 0, name);
        }

        function test_clickOnFadeIsAThreeSecondFade() {
            control.fadeEnabled = true;
            mouseClick(button("fadeButton"));
            compare(fadeSpy.count, 1);
            compare(fadeSpy.signalArguments[0][0], 3000);
        }

        function test_disabledButtonsRaiseNothing() {
            mouseClick(button("pauseButton"));
            mouseClick(button("fadeButton"));
            compare(pauseSpy.count, 0);
            compare(fadeSpy.count, 0);
        }

        function test_holdingFadeOpensTheMenuAndDoesNotFade() {
            control.fadeEnabled = true;
            const fade = button("fadeButton");
            const menu = openFadeMenu(fade);
            mouseRelease(fade);
            compare(fadeSpy.count, 0);
            verify(menu.opened);
        }

        function test_fadeMenuEntries_data() {
            return [
                { tag: "1 second", index: 0, text: "1 second", ms: 1000 },
                { tag: "3 seconds", index: 1, text: "3 seconds", ms: 3000 },
                { tag: "5 seconds", index: 2, text: "5 seconds", ms: 5000 },
                { tag: "7 seconds", index: 3, text: "7 seconds", ms: 7000 },
            ];
        }
        function test_fadeMenuEntries(data) {
            control.fadeEnabled = true;
            const fade = button("fadeButton");
            const menu = openFadeMenu(fade);
            mouseRelease(fade);
            compare(menu.count, 4);
            const entry = menu.itemAt(data.index);
            compare(entry.text, data.text);
            tryVerify(function() { return entry.width > 0 && entry.height > 0; });
            mouseClick(entry);
            compare(fadeSpy.count, 1);
            compare(fadeSpy.signalArguments[0][0], data.ms);
            tryVerify(function() { return !menu.visible; });
        }

        function test_returnOnAFocusedButtonClicks() {
            control.fadeEnabled = true;
            const fade = button("fadeButton");
            fade.forceActiveFocus(Qt.TabFocusReason);
            verify(fade.activeFocus);
            keyClick(Qt.Key_Return);
            compare(fadeSpy.count, 1);
            compare(fadeSpy.signalArguments[0][0], 3000);
        }

        function test_withoutFadeTheGroupTakesNoSpace() {
            const wide = control.implicitWidth;
            control.showFade = false;
            verify(!findChild(control, "fadeGroup").visible);
            verify(!button("fadeButton").visible);
            tryCompare(control, "implicitWidth", findChild(control, "transportGroup").width);
            verify(control.implicitWidth < wide);
        }

        function test_continueHighlight() {
            const exitVamp = button("exitVampButton");
            control.highlightContinueButton = true;
            verify(shown(exitVamp, "glow"));
            verify(shown(exitVamp, "tint"));
            control.highlightContinueButton = false;
            verify(!shown(exitVamp, "glow"));
            verify(!shown(exitVamp, "tint"));
            // Built once, it stays for the next time.
            control.highlightContinueButton = true;
            verify(shown(exitVamp, "glow"));
        }

        // Pause shows its tinted icon while toggled, and only while it can
        // be pressed.
        function test_pauseToggledTintsItsIcon() {
            const pause = button("pauseButton");
            control.pauseEnabled = true;
            control.pauseToggled = true;
            verify(shown(pause, "tint"));
            control.pauseToggled = false;
            verify(!shown(pause, "tint"));
            control.pauseToggled = true;
            control.pauseEnabled = false;
            verify(!shown(pause, "tint"));
        }

        function test_iconsLoadAndToolTipsShowOnHover_data() {
            return [
                { tag: "Prev", name: "prevButton" },
                { tag: "Next", name: "nextButton" },
                { tag: "Stop", name: "stopButton" },
                { tag: "Play", name: "playButton" },
                { tag: "Pause", name: "pauseButton" },
                { tag: "Exit Vamp", name: "exitVampButton" },
                { tag: "Fade", name: "fadeButton" },
            ];
        }
        function test_iconsLoadAndToolTipsShowOnHover(data) {
            control.pauseEnabled = true;
            control.fadeEnabled = true;
            const b = button(data.name);
            tryCompare(findChild(b, "icon"), "status", Image.Ready);
            verify(!findChild(b, "label").visible);
            b.hoverEnabled = true; // off by default on the offscreen platform
            const delay = b.toolTip.delay;
            b.toolTip.delay = 0;
            mouseMove(b, b.width / 2, b.height / 2);
            tryVerify(function() { return b.toolTip.opened; }, 3000);
            verify(b.toolTip.text.length > 0);
            mouseMove(top, top.width - 1, top.height - 1);
            tryVerify(function() { return !b.toolTip.visible; }, 3000);
            b.toolTip.delay = delay;
            b.hoverEnabled = false;
        }

        // Each button explains itself: no two share a tooltip.
        function test_toolTipsAreDistinct() {
            const seen = {};
            for (const name of ["prevButton", "nextButton", "stopButton", "playButton", "pauseButton",
                                "exitVampButton", "fadeButton"]) {
                const text = button(name).toolTip.text;
                verify(text.length > 0, name);
                verify(!(text in seen), name + " repeats the tooltip of " + seen[text]);
                seen[text] = name;
            }
        }
    }
}
