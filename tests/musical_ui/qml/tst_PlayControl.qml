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

        function test_startState() {
            verify(!button("pauseButton").enabled);
            verify(!button("fadeButton").enabled);
            verify(!button("stopButton").toggled);
            verify(!button("pauseButton").toggled);
            verify(!button("exitVampButton").toggled);
            verify(button("prevButton").enabled);
            verify(button("playButton").enabled);
            compare(control.height, 52);
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
            const menu = findChild(control, "fadeMenu");
            verify(menu);
            mousePress(fade);
            tryVerify(function() { return menu.opened; }, 5000);
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
            const menu = findChild(control, "fadeMenu");
            mousePress(fade);
            tryVerify(function() { return menu.opened; }, 5000);
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
            verify(exitVamp.radiant);
            verify(exitVamp.toggled);
            verify(exitVamp.colorToggledOn);
            control.highlightContinueButton = false;
            verify(!exitVamp.radiant);
            verify(!exitVamp.toggled);
        }

        function test_aliasesReachTheButtons() {
            control.pauseEnabled = true;
            control.pauseToggled = true;
            control.stopToggled = true;
            control.fadeEnabled = true;
            control.fadeToggled = true;
            verify(button("pauseButton").enabled);
            verify(button("pauseButton").toggled);
            verify(button("pauseButton").colorToggledOn);
            verify(button("stopButton").toggled);
            verify(button("fadeButton").enabled);
            verify(button("fadeButton").toggled);
            control.fadeToggled = false;
        }

        function test_toolTipsAndIcons_data() {
            return [
                { tag: "Prev", name: "prevButton", icon: "qrc:/images/previous.svg", tip: "Select previous song in playlist" },
                { tag: "Next", name: "nextButton", icon: "qrc:/images/next.svg", tip: "Select next song in playlist" },
                { tag: "Stop", name: "stopButton", icon: "qrc:/images/stop2.svg", tip: "Stop playback and return playhead to beginning of timeline" },
                { tag: "Play", name: "playButton", icon: "qrc:/images/play.svg", tip: "Play selected song from playlist / resume playback in timeline" },
                { tag: "Pause", name: "pauseButton", icon: "qrc:/images/pause.svg", tip: "Pause playback and playhead in timeline" },
                { tag: "Exit Vamp", name: "exitVampButton", icon: "qrc:/images/exit-vamp.svg", tip: "(1) Resume playback after Caesura (2) Jump to end of Skip (3) Exit a Vamp" },
                { tag: "Fade", name: "fadeButton", icon: "qrc:/images/fade.svg", tip: "Fade Out Current Song and Move to Next Song (hold for timing options)" },
            ];
        }
        function test_toolTipsAndIcons(data) {
            const b = button(data.name);
            compare(String(b.imageSource), data.icon);
            compare(b.toolTip.text, data.tip);
            compare(b.showText, false);
            const icon = findChild(b, "icon");
            tryCompare(icon, "status", Image.Ready);
        }
    }
}
