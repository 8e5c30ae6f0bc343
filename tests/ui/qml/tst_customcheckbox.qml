import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 300
    height: 200

    CustomCheckbox {
        id: box
        checkboxTextStr: "Do not show again"
    }

    TestCase {
        name: "CustomCheckbox"
        when: windowShown

        function init() {
            box.checked = false;
            box.checkboxTextStr = "Do not show again";
            box.checkboxTextColor = Qt.binding(() => "#a4a4a4");
            box.focus = false;
        }

        function test_label_is_font_element() {
            compare(box.text, "<font color='#a4a4a4'>Do not show again</font>");
            box.checkboxTextStr = "";
            compare(box.text, "<font color='#a4a4a4'></font>");
            verify(box.indicator.visible);
            compare(box.indicator.width, 22);
        }

        function test_label_follows_colour() {
            box.checkboxTextColor = "white";
            compare(box.text, "<font color='white'>Do not show again</font>");
            box.checkboxTextColor = "#ff0000";
            compare(box.text, "<font color='#ff0000'>Do not show again</font>");
        }

        function test_default_colour_is_theme_text_colour() {
            const c = Qt.createQmlObject("import com.tarnwick.vand_ui; CustomCheckbox {}", top);
            compare(Qt.color(c.checkboxTextColor), Qt.rgba(164/255, 164/255, 164/255, 1));
            compare(c.font.pixelSize, 14);
            c.destroy();
        }

        function test_box_colours() {
            const face = box.indicator.children[0];
            compare(face.color, Qt.color("white"));
            compare(face.border.color, Qt.color("transparent"));
            mouseClick(box.indicator);
            verify(box.checked);
            compare(face.color, Qt.color("steelblue"));
            compare(face.children[0].visible, true); // the tick
            box.forceActiveFocus();
            compare(face.border.color, Qt.color("steelblue"));
        }
    }
}
