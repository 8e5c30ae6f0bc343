import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 1100
    height: 300

    VandTheme { id: theme }

    Component {
        id: sliderComponent
        VandCustomSlider {
            x: 20
            y: 20
            width: 400
        }
    }

    Component {
        id: volumeComponent
        VandCustomVolumeSlider {
            x: 20
            y: 20
            width: 1000
            leftPadding: 0
            rightPadding: 0
            value: 0.5
        }
    }

    Component {
        id: dialComponent
        VandCustomDial {
            x: 20
            y: 120
        }
    }

    Component {
        id: spyComponent
        SignalSpy { signalName: "moved" }
    }

    TestCase {
        name: "Sliders"
        when: windowShown

        function make(component, properties) {
            const control = createTemporaryObject(component, top, properties || {});
            verify(control !== null);
            const spy = createTemporaryObject(spyComponent, top, { target: control });
            return [control, spy];
        }

        function dB(value) {
            return 25 * Math.log(value);
        }

        // Drags the handle of a volume slider (no padding) to the position of
        // a level in dB, and holds it there.
        function dragVolumeTo(slider, decibels) {
            const handle = slider.handle;
            const position = (Math.exp(decibels / 25) - slider.from) / (slider.to - slider.from);
            const x = handle.width / 2 + position * (slider.availableWidth - handle.width);
            const y = slider.height / 2;
            mousePress(slider, handle.x + handle.width / 2, y);
            mouseMove(slider, x + 10, y);
            mouseMove(slider, x, y);
            mouseRelease(slider, x, y);
        }

        function test_volume_drag_snaps_to_the_mark_data() {
            return [
                { tag: "-6.5 dB snaps", to: -6.5, shown: -6 },
                { tag: "-5.2 dB snaps", to: -5.2, shown: -6 },
                { tag: "-7 dB stays", to: -7, shown: -7 },
                { tag: "-3 dB stays", to: -3, shown: -3 },
            ];
        }

        function test_volume_drag_snaps_to_the_mark(data) {
            const [slider, moved] = make(volumeComponent);
            dragVolumeTo(slider, data.to);
            verify(moved.count > 0);
            fuzzyCompare(dB(slider.value), data.shown, 0.05);
            if (data.shown === -6)
                compare(slider.value, slider.zeroMark);
        }

        function test_arrow_keys_data() {
            return [
                { tag: "defaults: right runs to the end", volume: false, props: { value: 0.5 }, key: Qt.Key_Right,
                  value: 1 },
                { tag: "defaults: left runs to the start", volume: false, props: { value: 0.5 }, key: Qt.Key_Left,
                  value: 0 },
                { tag: "microshift: steps by 5", volume: false,
                  props: { from: 0, to: 40, value: 10, showZeroMark: false }, key: Qt.Key_Right, value: 15 },
                { tag: "microshift: no snap near the mark", volume: false,
                  props: { from: 0, to: 40, value: 21.5, showZeroMark: false, zeroMark: 20 }, key: Qt.Key_Left,
                  value: 16.5 },
                { tag: "stops at to", volume: false, props: { from: 0, to: 40, value: 38, sliderStep: 5 },
                  key: Qt.Key_Right, value: 40 },
                { tag: "volume: one hundredth", volume: true, props: { value: 0.5 }, key: Qt.Key_Right, value: 0.51 },
                { tag: "volume: lands in the tolerance and snaps", volume: true, props: { value: 0.77 },
                  key: Qt.Key_Right, value: 0.7866278611 },
                { tag: "volume: lands outside the tolerance", volume: true, props: { value: 0.7 },
                  key: Qt.Key_Right, value: 0.71 },
            ];
        }

        function test_arrow_keys(data) {
            const [slider, moved] = make(data.volume ? volumeComponent : sliderComponent, data.props);
            slider.forceActiveFocus();
            keyClick(data.key);
            fuzzyCompare(slider.value, data.value, 1e-9);
            compare(moved.count, 1);
        }

        function test_snap_rule_data() {
            return [
                { tag: "slider within", props: { value: 0.52 }, value: 0.5 },
                { tag: "slider at the edge stays", props: { value: 0.53 }, value: 0.53 },
                { tag: "zoom slider never snaps", props: { from: 1, to: 3, zeroMark: 1, snapTolerance: 0, value: 1.0001 },
                  value: 1.0001 },
                { tag: "no zero mark never snaps", props: { showZeroMark: false, value: 0.51 }, value: 0.51 },
            ];
        }

        function test_snap_rule(data) {
            const [slider, moved] = make(sliderComponent, data.props);
            slider.moved();
            fuzzyCompare(slider.value, data.value, 1e-9);
        }

        function test_dial_snaps_near_the_centre_data() {
            return [
                { tag: "0.08 snaps", value: 0.08, result: 0 },
                { tag: "-0.08 snaps", value: -0.08, result: 0 },
                { tag: "0.12 stays", value: 0.12, result: 0.12 },
                { tag: "no notch, no snap", value: 0.08, result: 0.08, props: { showZeroMark: false } },
            ];
        }

        function test_dial_snaps_near_the_centre(data) {
            const [dial, moved] = make(dialComponent, data.props);
            dial.value = data.value;
            dial.moved();
            fuzzyCompare(dial.value, data.result, 1e-9);
        }

        // A disabled dial dims its face to 0.3: a notch reaching behind the
        // face showed through it as a bar across the knob.
        function test_notch_stays_above_the_face_data() {
            return [ { tag: "small", size: 25 }, { tag: "large", size: 40 } ];
        }

        function test_notch_stays_above_the_face(data) {
            const [dial, moved] = make(dialComponent, { enabled: false, width: data.size, height: data.size });
            const notch = findChild(dial, "notch");
            const face = findChild(dial, "face");
            verify(notch.visible);
            verify(notch.y < face.y, "the stub shows above the face");
            verify(notch.y + notch.height <= face.y + 2, "notch ends at " + (notch.y + notch.height) + ", face at " + face.y);
        }

        function test_dial_turns_by_horizontal_drag() {
            const [dial, moved] = make(dialComponent);
            compare(dial.width, 25);
            compare(dial.height, 25);
            mousePress(dial, 12, 12);
            mouseMove(dial, 20, 12);
            mouseMove(dial, 40, 12);
            mouseRelease(dial, 40, 12);
            verify(moved.count > 0);
            verify(dial.value > 0.1, "value " + dial.value);
        }

        function test_alt_right_click_resets_quietly_data() {
            return [
                { tag: "to the zero mark", props: { value: 0.9, zeroMark: 0.4 }, value: 0.4 },
                { tag: "no mark: to 0", props: { from: -10, to: 10, value: 5, showZeroMark: false }, value: 0 },
                { tag: "no mark, 0 outside: nearer end", props: { from: 2, to: 10, value: 5, showZeroMark: false },
                  value: 2 },
            ];
        }

        function test_alt_right_click_resets_quietly(data) {
            const [slider, moved] = make(sliderComponent, data.props);
            mouseClick(slider, slider.width / 2, slider.height / 2, Qt.RightButton, Qt.AltModifier);
            fuzzyCompare(slider.value, data.value, 1e-9);
            compare(moved.count, 0);
            verify(!findChild(slider, "valuePopup").visible);
        }

        function openPopup(slider) {
            mouseClick(slider, slider.width / 2, slider.height / 2, Qt.RightButton);
            const popup = findChild(slider, "valuePopup");
            tryVerify(() => popup.opened);
            const entry = findChild(popup.contentItem, "valueEntry");
            tryVerify(() => entry.field.activeFocus);
            return [popup, entry];
        }

        function test_value_popup_data() {
            return [
                { tag: "volume -100 gives the lowest value", volume: true, typed: "-100", confirm: "ok",
                  value: 0.04076220398, moved: 1 },
                { tag: "volume -6.4 snaps", volume: true, typed: "-6.4", confirm: "return", value: 0.7866278611,
                  moved: 1 },
                { tag: "volume -20", volume: true, typed: "-20", confirm: "ok", value: Math.exp(-20 / 25), moved: 1 },
                { tag: "not a number leaves the value", volume: true, typed: "abc", confirm: "ok", value: 0.5,
                  moved: 0 },
                { tag: "plain slider", volume: false, typed: "0.25", confirm: "return", value: 0.25, moved: 1 },
                { tag: "escape changes nothing", volume: false, typed: "0.25", confirm: "escape", value: 0.5,
                  moved: 0 },
            ];
        }

        function test_value_popup(data) {
            const [slider, moved] = make(data.volume ? volumeComponent : sliderComponent, { value: 0.5 });
            const [popup, entry] = openPopup(slider);
            compare(entry.text, data.volume ? dB(0.5).toFixed(3) : "0.500");
            compare(entry.field.selectedText, entry.text);
            entry.text = data.typed;
            if (data.confirm === "ok")
                mouseClick(findChild(popup.contentItem, "valueOkButton"));
            else if (data.confirm === "return")
                keyClick(Qt.Key_Return);
            else
                keyClick(Qt.Key_Escape);
            tryVerify(() => !popup.visible);
            fuzzyCompare(slider.value, data.value, 1e-9);
            compare(moved.count, data.moved);
        }

        function test_volume_taper_data() {
            return [
                { tag: "bottom", value: 0.04076220398, shown: "-80.000", gain: 1e-4 },
                { tag: "zero mark", value: 0.7866278611, shown: "-6.000", gain: 0.5011872336 },
                { tag: "top", value: 1.0, shown: "0.000", gain: 1.0 },
            ];
        }

        function test_volume_taper(data) {
            const [slider, moved] = make(volumeComponent, { value: data.value });
            compare(slider.customDisplayFunction(slider.value), data.shown);
            fuzzyCompare(slider.customInvertFunction(data.shown), data.value, 1e-9);
            fuzzyCompare(Math.pow(10, parseFloat(data.shown) / 20), data.gain, 1e-9);
            compare(findChild(slider, "volumeToolTip").text, "Value: " + parseFloat(data.shown).toFixed(1) + " dB");
        }

        function test_volume_tool_tip_follows_focus() {
            const [slider, moved] = make(volumeComponent);
            const tip = findChild(slider, "volumeToolTip");
            compare(tip.delay, 500);
            verify(!tip.visible);
            slider.forceActiveFocus();
            tryVerify(() => tip.visible);
            verify(slider.isFocused);
        }

        function test_zero_mark_under_the_handle_centre_data() {
            return [
                { tag: "middle", props: { zeroMark: 0.5 } },
                { tag: "quarter", props: { zeroMark: 0.25 } },
                { tag: "odd range", props: { from: -50, to: 50, zeroMark: 0, zeroMarkWidth: 4 } },
                { tag: "at the start", props: { from: 1, to: 3, zeroMark: 1 } },
            ];
        }

        function test_zero_mark_under_the_handle_centre(data) {
            const [slider, moved] = make(sliderComponent, data.props);
            slider.value = slider.zeroMark;
            const mark = findChild(slider, "zeroMark");
            const markCentre = mark.mapToItem(slider, mark.width / 2, 0).x;
            const handleCentre = slider.handle.x + slider.handle.width / 2;
            fuzzyCompare(markCentre, handleCentre, 1e-6);
            compare(mark.height, 4 + 15);
            slider.showZeroMark = false;
            verify(!mark.visible);
        }

        function test_handle_look() {
            const [slider, moved] = make(sliderComponent);
            compare(slider.handle.width, 16);
            compare(slider.handle.height, 12);
            compare(slider.focusPolicy, Qt.StrongFocus);
            const shadow = findChild(slider, "handleShadow");
            verify(shadow.source === slider.handle);
            for (let item = shadow; item; item = item.parent)
                verify(item !== slider.handle, "the shadow is drawn inside the handle");
            compare(findChild(slider, "fill").width, slider.visualPosition * findChild(slider, "track").width);
        }
    }
}
