import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 300
    height: 200

    FlatButton {
        id: button
        x: 10
        y: 10
        text: "Apply"
        hoverEnabled: true // off by default on the offscreen platform
    }

    FlatButton {
        id: other
        x: 150
        y: 10
        text: "Other"
        hoverEnabled: true
    }

    TestCase {
        name: "FlatButton"
        when: windowShown

        function highlightOf(control) {
            for (let i = 0; i < control.children.length; ++i) {
                const c = control.children[i];
                if (c.toString().indexOf("FocusHighlight") === 0)
                    return c;
            }
            return null;
        }

        function init() {
            button.isDefault = false;
            button.enabled = true;
            button.toolTip.text = "";
            other.forceActiveFocus();
            mouseMove(top, 290, 190);
        }

        function test_colours_follow_isDefault() {
            compare(button.normalColor, Qt.color("#525252"));
            compare(button.background.color, Qt.color("#525252"));
            button.isDefault = true;
            compare(button.normalColor, Qt.color("#26a5de"));
            compare(button.hoverColor, Qt.lighter("#26a5de", 1.25));
            compare(button.activeColor, Qt.lighter("#26a5de", 0.64));
            compare(button.background.color, Qt.color("#26a5de"));
            button.isDefault = false;
            compare(button.hoverColor, Qt.lighter("#525252", 1.25));
        }

        function test_focus_without_hover_shows_hover_colour_and_overlay() {
            const overlay = highlightOf(button);
            verify(overlay !== null);
            verify(!overlay.visible);
            button.forceActiveFocus();
            verify(!button.hovered);
            compare(button.background.color, button.hoverColor);
            verify(overlay.visible);
        }

        function test_pressed_while_hovered_uses_active_colour() {
            mouseMove(button, 5, 5);
            tryVerify(() => button.hovered);
            compare(button.background.color, button.hoverColor);
            mousePress(button, 5, 5);
            compare(button.background.color, button.activeColor);
            compare(button.contentItem.color, Qt.color("silver"));
            mouseRelease(button, 5, 5);
            compare(button.contentItem.color, Qt.color("white"));
        }

        function test_disabled_ignores_hover_and_focus() {
            button.forceActiveFocus();
            button.enabled = false;
            mouseMove(button, 5, 5);
            compare(button.background.color, Qt.lighter("#525252", 0.8));
            compare(button.contentItem.color, Qt.color("white"));
            compare(button.contentItem.opacity, 0.3);
        }

        function test_empty_label_is_25_wide() {
            const c = Qt.createQmlObject("import com.tarnwick.vand_ui; FlatButton {}", top);
            compare(c.width, 25);
            compare(c.height, 25);
            c.destroy();
        }

        function test_tooltip_needs_text() {
            mouseMove(button, 5, 5);
            tryVerify(() => button.hovered);
            verify(!button.toolTip.visible);
            button.toolTip.text = "Applies the change";
            tryVerify(() => button.toolTip.visible);
            compare(button.toolTip.delay, 500);
            mouseMove(top, 290, 190);
            tryVerify(() => !button.toolTip.visible);
        }

        function test_clicked_signal() {
            let clicks = 0;
            const onClick = () => ++clicks;
            button.clicked.connect(onClick);
            mouseClick(button);
            button.clicked.disconnect(onClick);
            compare(clicks, 1);
        }
    }
}
