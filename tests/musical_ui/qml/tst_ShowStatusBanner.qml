import QtQuick
import QtQuick.Controls
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui

Item {
    id: top
    width: 900
    height: 120

    VandTheme { id: theme }

    ShowStatusBanner {
        id: banner
        width: 800
    }

    SignalSpy {
        id: clickSpy
        target: banner
        signalName: "barBeatClicked"
    }

    TestCase {
        name: "ShowStatusBanner"
        when: windowShown

        function childByName(item, name) {
            const found = findChild(item, name);
            verify(found, "no child named " + name);
            return found;
        }

        // Non-visual children (the lamp timers) live in the item's data list.
        function timerNamed(name) {
            for (let i = 0; i < banner.data.length; ++i) {
                if (banner.data[i].objectName === name)
                    return banner.data[i];
            }
            fail("no timer named " + name);
        }

        function init() {
            banner.measure = "0000";
            banner.beat = "00";
            banner.key = "TBD";
            banner.flowControlLabel = "";
            banner.flowControlValue = "";
            banner.songTitle = "";
            banner.albumArtImageControl.visible = false;
            timerNamed("revertColorTimer").stop();
            timerNamed("revertOscColorTimer").stop();
            childByName(banner, "midiNotice").color = banner.defaultNotificationColor;
            childByName(banner, "oscNotice").color = banner.defaultNotificationColor;
            clickSpy.clear();
        }

        function test_zeroFill_data() {
            return [
                { tag: "empty measure", value: "", width: 4, expected: "0000" },
                { tag: "empty beat", value: "", width: 2, expected: "00" },
                { tag: "measure 7", value: "7", width: 4, expected: "0007" },
                { tag: "beat 3", value: "3", width: 2, expected: "03" },
                { tag: "beat 12 stays", value: "12", width: 2, expected: "12" },
                { tag: "four digits stay", value: "0123", width: 4, expected: "0123" },
                { tag: "longer measure stays", value: "12345", width: 4, expected: "12345" },
                { tag: "decimal point adds a zero", value: "1.5", width: 4, expected: "001.5" },
                { tag: "number argument", value: 42, width: 4, expected: "0042" },
                { tag: "undefined is empty", value: undefined, width: 2, expected: "00" },
            ];
        }
        function test_zeroFill(data) {
            const result = banner.zeroFill(data.value, data.width);
            compare(typeof result, "string");
            compare(result, data.expected);
        }

        function test_counterShowsZeroFilledMeasureAndBeat() {
            banner.measure = "7";
            banner.beat = "3";
            compare(childByName(banner, "measureDigits").text, "0007");
            compare(childByName(banner, "beatDigits").text, "03");
            banner.measure = "";
            banner.beat = "";
            compare(childByName(banner, "measureDigits").text, "0000");
            compare(childByName(banner, "beatDigits").text, "00");
        }

        function test_startsWithPlaceholders() {
            const fresh = createTemporaryObject(Qt.createComponent("qrc:/qt/qml/com/tarnwick/musical_ui/qml/ShowStatusBanner.qml"), top);
            verify(fresh);
            compare(fresh.key, "TBD");
            compare(fresh.transpose, "TBD");
            compare(fresh.tempo, "TBD");
            compare(fresh.tempoScale, "TBD");
            compare(fresh.meter, "TBD");
            compare(fresh.measure, "0000");
            compare(fresh.beat, "00");
            compare(fresh.volumeLevelPercent, 1);
            compare(fresh.albumArtImageControl.visible, false);
            compare(fresh.implicitWidth, 608);
            compare(fresh.implicitHeight, 75);
        }

        function test_midiLampStaysLitWhileNoticesKeepComing() {
            const lamp = childByName(banner, "midiNotice");
            const timer = timerNamed("revertColorTimer");
            verify(Qt.colorEqual(lamp.color, "dimgray"));
            compare(timer.interval, 500);
            compare(timer.repeat, false);

            const running = runningSpy;
            running.clear();
            running.target = timer;
            running.signalName = "runningChanged";
            banner.highlightMidiNotice();
            verify(Qt.colorEqual(lamp.color, "lawngreen"));
            verify(timer.running);
            compare(running.count, 1);

            // A second notice while lit starts the 500 ms again (stop, then start):
            // the lamp goes dark 500 ms after the latest notice, not the first.
            banner.highlightMidiNotice();
            compare(running.count, 3);
            verify(timer.running);
            verify(Qt.colorEqual(lamp.color, "lawngreen"));

            timer.triggered();
            verify(Qt.colorEqual(lamp.color, "dimgray"));
        }

        function test_midiLampGoesDarkAfterItsTimer() {
            const lamp = childByName(banner, "midiNotice");
            banner.highlightMidiNotice();
            tryVerify(function() { return Qt.colorEqual(lamp.color, "dimgray"); }, 3000);
        }

        function test_oscLampSharesOneTimerAndOutgoingIsGold() {
            const lamp = childByName(banner, "oscNotice");
            const midiLamp = childByName(banner, "midiNotice");
            const timer = timerNamed("revertOscColorTimer");
            const running = runningSpy;
            running.clear();
            running.target = timer;
            running.signalName = "runningChanged";

            banner.highlightOscNotice();
            verify(Qt.colorEqual(lamp.color, "lawngreen"));
            compare(running.count, 1);

            banner.highlightOscOutgoingNotice();
            verify(Qt.colorEqual(lamp.color, "#FFD700"));
            compare(running.count, 3);

            banner.highlightOscNotice();
            verify(Qt.colorEqual(lamp.color, "lawngreen"));
            compare(running.count, 5);

            verify(Qt.colorEqual(midiLamp.color, "dimgray"));
            verify(!timerNamed("revertColorTimer").running);

            timer.triggered();
            verify(Qt.colorEqual(lamp.color, "dimgray"));
        }

        function test_clickOnDigitsOnlyEmits_data() {
            return [
                { tag: "measure digits", name: "measureDigits", expected: 1 },
                { tag: "beat digits", name: "beatDigits", expected: 1 },
                { tag: "separator", name: "barBeatSeparator", expected: 0 },
                { tag: "measure label", name: "measureLabel", expected: 0 },
                { tag: "beat label", name: "beatLabel", expected: 0 },
            ];
        }
        function test_clickOnDigitsOnlyEmits(data) {
            mouseClick(childByName(banner, data.name));
            compare(clickSpy.count, data.expected);
        }

        function test_emptyValueLeavesTheLabelAlone() {
            const cell = childByName(banner, "keyValue");
            const label = childByName(cell, "label");
            const value = childByName(cell, "value");
            verify(value.visible);
            const height = cell.implicitHeight;
            banner.key = "";
            verify(!value.visible);
            verify(label.visible);
            compare(label.text, "Key:");
            compare(cell.implicitHeight, height);
            banner.key = "D major";
            verify(value.visible);
            compare(value.text, "D major");
        }

        function test_flowControlBadge() {
            const badge = childByName(banner, "flowControl");
            const background = childByName(badge, "background");
            const value = childByName(badge, "value");
            const height = badge.height;
            verify(height > 0);
            verify(Qt.colorEqual(background.color, "transparent"));

            banner.flowControlBackgroundColor = "#3a7d44";
            banner.flowControlLabel = "Vamp";
            verify(Qt.colorEqual(background.color, "#3a7d44"));
            compare(background.opacity, 0.7);
            verify(!value.visible);

            banner.flowControlValue = "2";
            verify(value.visible);
            verify(badge.implicitWidth > 0);

            banner.flowControlLabel = "";
            banner.flowControlValue = "";
            verify(Qt.colorEqual(background.color, "transparent"));
            compare(badge.height, height);
        }

        function test_panelsStayCentredAsAGroup() {
            const song = childByName(banner, "songPanel");
            const lamps = childByName(banner, "lampPanel");
            const art = banner.albumArtImageControl;
            // Hidden art: the four panels (175 + 175 + 280 + 33) sit centred.
            fuzzyCompare(song.x, (banner.width - 663) / 2, 1);
            fuzzyCompare(lamps.x + lamps.width, banner.width - (banner.width - 663) / 2, 1);

            art.visible = true;
            tryCompare(art, "width", 75);
            compare(art.height, 75);
            fuzzyCompare(art.x, (banner.width - 663 - 85) / 2, 1);
            compare(song.x, art.x + 85);
        }

        function test_longTitleIsCutOffAndOffered() {
            const title = childByName(banner, "songTitle");
            banner.songTitle = "Short";
            verify(!title.cutOff);
            banner.songTitle = "A title far too long for the two lines of the song area of the status banner";
            verify(title.cutOff);
            compare(title.ToolTip.text, banner.songTitle);
            compare(title.ToolTip.delay, 1000);
            compare(title.ToolTip.timeout, 5000);
        }

        function test_titleTextIsNotReadAsMarkup() {
            const title = childByName(banner, "songTitle");
            banner.songTitle = "Rock & <b>Roll</b>";
            verify(title.text.indexOf("Rock &amp; &lt;b&gt;Roll&lt;/b&gt;") >= 0);
        }

        function test_volumeMeterShowsTheGain() {
            const meter = childByName(banner, "volumeIndicator");
            banner.volumeLevelPercent = 0.5;
            compare(meter.value, 0.5);
            compare(meter.segments, 10);
            banner.volumeLevelPercent = 1;
        }
    }

    SignalSpy {
        id: runningSpy
    }
}
