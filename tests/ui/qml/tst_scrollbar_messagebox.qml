import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 600
    height: 600

    CustomScrollBar {
        id: bar
        x: 0
        y: 0
        height: 200
        size: 0.5
        hoverEnabled: true // off by default on the offscreen platform
    }

    MessageBox {
        id: box
        x: 50
        y: 0
    }

    VandTheme { id: theme }

    TestCase {
        name: "CustomScrollBarAndMessageBox"
        when: windowShown

        function test_scroll_bar_handle_lights_under_mouse() {
            compare(bar.policy, ScrollBar.AlwaysOn);
            compare(bar.width, 20);
            compare(bar.background.color, Qt.lighter(theme.default_bg_color, 0.7));
            mouseMove(top, 300, 300);
            compare(bar.contentItem.color, theme.lighter_bg_color_popup);
            mouseMove(bar, 10, 20);
            tryVerify(() => bar.hovered);
            compare(bar.contentItem.color, theme.default_selected_color);
            mouseMove(top, 300, 300);
            tryVerify(() => !bar.hovered);
            compare(bar.contentItem.color, theme.lighter_bg_color_popup);
        }

        function test_message_box_text() {
            compare(box.width, 500);
            compare(box.height, 500);
            compare(box.text, "");
            box.text = "first\nsecond\nthird";
            const label = box.children[0].children[0];
            compare(label.lineCount, 3);
            compare(label.x, 0);
            compare(label.y, 0);
            box.text = "x".repeat(400);
            compare(label.lineCount, 1);
            verify(label.implicitWidth > 500);
        }
    }
}
