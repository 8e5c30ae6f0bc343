import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 100
    height: 100

    VandTheme { id: theme }
    VandTheme { id: otherViewsTheme }

    TestCase {
        name: "VandTheme"

        // No view can change a theme value, for itself or for another view.
        function test_valuesCannotBeChanged_data() {
            return [
                { tag: "colour", name: "default_bg_color", value: "red" },
                { tag: "font", name: "default_font", value: Qt.font({ pixelSize: 40 }) },
                { tag: "number", name: "bevel_width", value: 7 },
            ];
        }
        function test_valuesCannotBeChanged(data) {
            const before = theme[data.name];
            let threw = false;
            try {
                theme[data.name] = data.value;
            } catch (e) {
                threw = e instanceof TypeError;
            }
            verify(threw, "no TypeError on writing " + data.name);
            compare(theme[data.name], before);
            compare(otherViewsTheme[data.name], before);
        }

        function test_drawsNothing() {
            verify(!theme.visible);
            compare(theme.children.length, 0);
        }
    }
}
