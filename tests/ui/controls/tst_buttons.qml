import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    VandTheme { id: theme }

    BubbleButtonBar {
        id: bar
        x: 10
        y: 10
        BubbleButton { id: first; imageSource: "qrc:/images/info_icon.svg" }
        BubbleButton { id: second; imageSource: "qrc:/images/info_icon.svg"; showDownChevron: true }
        BubbleButton { id: third; imageSource: "qrc:/images/info_icon.svg"; text: "Stop"; showText: true }
    }

    GraphicButton {
        id: graphic
        x: 10
        y: 100
        text: "Undo"
        imageSource: "qrc:/images/info_icon.svg"
    }

    GraphicButton {
        id: captionOnly
        x: 100
        y: 100
        text: "Caption"
    }

    SignalSpy { id: graphicClicked; target: graphic; signalName: "clicked" }
    SignalSpy { id: bubbleClicked; target: first; signalName: "clicked" }

    TestCase {
        name: "Buttons"
        when: windowShown

        // The glow and the tint are built the first time they show.
        function shown(item, name) {
            const found = findChild(item, name);
            return found !== null && found.visible;
        }

        function test_effects_built_when_first_shown() {
            verify(!findChild(second, "glow"));
            verify(!findChild(second, "tint"));
            second.radiant = true;
            verify(shown(second, "glow"));
            second.radiant = false;
            verify(findChild(second, "glow") !== null);
            verify(!shown(second, "glow"));
            second.toggled = true;
            verify(!findChild(second, "tint"));
            second.colorToggledOn = true;
            verify(shown(second, "tint"));
            second.toggled = false;
            second.colorToggledOn = false;
        }

        function init() {
            first.enabled = true;
            first.visible = true;
            first.toggled = false;
            first.radiant = false;
            first.colorToggledOn = false;
            first.toggledOnImageSource = "";
            graphic.enabled = true;
            graphic.showImage = true;
            graphicClicked.clear();
            bubbleClicked.clear();
        }

        function test_bar_size() {
            compare(first.width, 52);
            compare(first.height, 52);
            compare(bar.width, 158);
            compare(bar.height, 52);
            const frame = findChild(bar, "frame");
            compare(frame.width, 160);
            compare(frame.height, 54);
        }

        function test_disabled_bubble_look() {
            first.toggled = true;
            first.radiant = true;
            first.colorToggledOn = true;
            verify(findChild(first, "glow").visible);
            verify(findChild(first, "tint").visible);
            first.enabled = false;
            compare(findChild(first, "topStop").color, Qt.color("#181818"));
            compare(findChild(first, "icon").opacity, 0.5);
            verify(!findChild(first, "tint").visible);
            verify(!findChild(first, "glow").visible);
        }

        // An effect drawn inside the item it reads renders that item
        // recursively (the GPU refuses the texture it is writing to).
        function test_effects_lie_outside_their_source_data() {
            return [
                { tag: "bubble glow", host: first, name: "glow" },
                { tag: "bubble tint", host: first, name: "tint" },
                { tag: "graphic shadow", host: graphic, name: "shadow" },
            ];
        }
        function test_effects_lie_outside_their_source(data) {
            first.radiant = true;
            first.toggled = true;
            first.colorToggledOn = true;
            const effect = findChild(data.host, data.name);
            verify(effect !== null);
            verify(effect.source !== null);
            for (let item = effect; item; item = item.parent)
                verify(item !== effect.source, data.name + " is drawn inside its own source");
        }

        // A glow animation that runs while the glow is not shown repaints
        // the whole window on every frame.
        function test_glow_animates_only_while_shown_data() {
            return [
                { tag: "plain", radiant: false, enabled: true, visible: true, running: false },
                { tag: "radiant", radiant: true, enabled: true, visible: true, running: true },
                { tag: "radiant disabled", radiant: true, enabled: false, visible: true, running: false },
                { tag: "radiant hidden", radiant: true, enabled: true, visible: false, running: false },
            ];
        }
        function test_glow_animates_only_while_shown(data) {
            first.radiant = data.radiant;
            first.enabled = data.enabled;
            first.visible = data.visible;
            compare(shown(first, "glow"), data.running);
            const pulse = findChild(first, "glowPulse");
            compare(pulse !== null && pulse.running, data.running);
        }

        // The pulse steps 800 ms each, linear from where the step before
        // ended: lightness 0.35, 0.10, 0.16, 0.05, hue 0.547, 0.58, the first
        // step from where the glow stood.
        function test_glow_pulse_data() {
            return [
                { tag: "start", ms: 0, lightness: 0.10, hue: 0.547 },
                { tag: "half the first step", ms: 400, lightness: 0.225, hue: 0.547 },
                { tag: "first step's end", ms: 800, lightness: 0.35, hue: 0.547 },
                { tag: "half the second step", ms: 1200, lightness: 0.225, hue: 0.5635 },
                { tag: "half the third step", ms: 2000, lightness: 0.13, hue: 0.5635 },
                { tag: "fourth step's start", ms: 2400, lightness: 0.16, hue: 0.547 },
                { tag: "half the fourth step", ms: 2800, lightness: 0.105, hue: 0.5635 },
                { tag: "half the second round", ms: 3600, lightness: 0.2, hue: 0.5635 },
            ];
        }
        function test_glow_pulse(data) {
            first.radiant = true;
            first.radiant = false;
            const glow = findChild(first, "glow");
            const pulse = findChild(first, "glowPulse");
            glow.lightness = 0.10;
            glow.hue = 0.547;
            first.radiant = true;
            verify(pulse.running);
            pulse.show(data.ms);
            fuzzyCompare(glow.lightness, data.lightness, 1e-6);
            fuzzyCompare(glow.hue, data.hue, 1e-6);
        }

        function test_toggled_icon_and_tint() {
            first.toggled = true;
            compare(findChild(first, "icon").source, Qt.resolvedUrl("qrc:/images/info_icon.svg"));
            verify(!shown(first, "tint"));
            first.toggledOnImageSource = "qrc:/images/warning_icon.svg";
            compare(findChild(first, "icon").source, Qt.resolvedUrl("qrc:/images/warning_icon.svg"));
            first.colorToggledOn = true;
            verify(findChild(first, "tint").visible);
        }

        function test_bubble_return_clicks_and_only_tab_focuses() {
            compare(first.focusPolicy, Qt.TabFocus);
            first.forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(bubbleClicked.count, 1);
        }

        function test_chevron_and_label() {
            verify(findChild(second, "chevron").visible);
            verify(!findChild(first, "chevron").visible);
            verify(findChild(third, "label").visible);
            compare(findChild(third, "label").text, "Stop");
            verify(!findChild(first, "label").visible);
        }

        function test_graphic_sizes() {
            compare(graphic.width, 64);
            compare(graphic.height, 42);
            compare(captionOnly.width, 64);
            compare(captionOnly.height, 18);
            verify(!captionOnly.hasImageSource);
            graphic.showImage = false;
            compare(graphic.height, 18);
            verify(!findChild(graphic, "icon").visible);
        }

        function test_graphic_clicks() {
            mouseClick(graphic);
            compare(graphicClicked.count, 1);
            findChild(graphic, "innerButton").forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(graphicClicked.count, 2);
        }

        function test_graphic_press_sinks_into_shadow() {
            const inner = findChild(graphic, "innerButton");
            const shadow = findChild(graphic, "shadow");
            compare(shadow.horizontalOffset, 2);
            mousePress(graphic, 20, 20);
            compare(inner.x, 2);
            compare(inner.y, 2);
            compare(shadow.horizontalOffset, 0);
            compare(shadow.verticalOffset, 0);
            mouseRelease(graphic, 20, 20);
            compare(inner.x, 0);
        }

        function test_disabled_graphic_button() {
            graphic.enabled = false;
            mouseClick(graphic);
            compare(graphicClicked.count, 0);
            compare(findChild(graphic, "caption").color, Qt.color("#666666"));
            compare(findChild(graphic, "icon").opacity, 0.3);
            compare(findChild(graphic, "tile").color, Qt.lighter(theme.default_bg_color, 1.35));
        }
    }
}
