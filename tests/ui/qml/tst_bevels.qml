import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    Rectangle {
        id: face
        x: 20
        y: 20
        width: 100
        height: 40
        color: "#808080"
    }

    Component {
        id: basic
        BasicBevel {}
    }
    Component {
        id: custom
        CustomBevel {}
    }
    Component {
        id: recessed
        RecessedBevel {}
    }

    TestCase {
        name: "Bevels"
        when: windowShown

        property var bevel: null

        function cleanup() {
            if (bevel)
                bevel.destroy();
            bevel = null;
            face.color = "#808080";
        }

        // The four edge lines, in order, as [x, y, width, height, colour, visible].
        function lines(b) {
            const out = [];
            for (let i = 1; i <= 4; ++i) {
                const r = b.children[i];
                out.push([r.x, r.y, r.width, r.height, r.color, r.visible]);
            }
            return out;
        }

        function dark() { return Qt.lighter("#808080", 0.9); }
        function light() { return Qt.lighter("#808080", 1.3); }

        function test_raised_lines_data() {
            return [{ tag: "BasicBevel", component: basic }, { tag: "CustomBevel", component: custom }];
        }
        function test_raised_lines(data) {
            bevel = data.component.createObject(face);
            compare(bevel.width, 100);
            compare(bevel.height, 40);
            compare(lines(bevel), [
                [99, 0, 1, 40, dark(), true],
                [0, 0, 1, 40, light(), true],
                [0, 0, 100, 1, light(), true],
                [0, 40, 100, 1, dark(), true]]);
            bevel.bevel_width = 3;
            compare(lines(bevel)[3][3], 3);
            compare(lines(bevel)[0][2], 1);
            compare(lines(bevel)[1][2], 1);
            compare(lines(bevel)[2][3], 1);
        }

        function test_recessed_lines() {
            bevel = recessed.createObject(face);
            compare(lines(bevel), [
                [-1, 0, 1, 40, dark(), true],
                [100, 0, 1, 40, light(), true],
                [0, 40, 100, 1, light(), true],
                [0, 0, 100, 1, dark(), true]]);
            bevel.bevel_width = 3;
            compare(lines(bevel)[3][3], 3);
            compare(lines(bevel)[2][3], 1);
        }

        function test_hide_flags_data() {
            return [{ tag: "basic", component: basic }, { tag: "recessed", component: recessed }];
        }
        function test_hide_flags(data) {
            bevel = data.component.createObject(face, { hide_left: true, hide_top: true, hide_bottom: true });
            compare(lines(bevel).map(l => l[5]), [true, false, false, false]);
            bevel.hide_top = false;
            compare(lines(bevel).map(l => l[5]), [true, false, true, false]);
        }

        function test_shades_follow_parent_colour() {
            bevel = basic.createObject(face);
            face.color = "#4060a0";
            compare(bevel.bevel_dark_color, Qt.lighter("#4060a0", 0.9));
            compare(bevel.bevel_light_color, Qt.lighter("#4060a0", 1.3));
            compare(bevel.children[1].color, Qt.lighter("#4060a0", 0.9));
            face.color = "black";
            compare(bevel.bevel_dark_color, Qt.color("black"));
            compare(bevel.bevel_light_color, Qt.color("black"));
            face.color = "white";
            compare(bevel.bevel_light_color, Qt.color("white"));
            verify(bevel.bevel_dark_color !== Qt.color("white"));
        }

        function test_fixed_colour_replaces_binding() {
            bevel = recessed.createObject(face, { bevel_dark_color: "red" });
            face.color = "blue";
            compare(bevel.children[1].color, Qt.color("red"));
            compare(bevel.children[2].color, Qt.lighter("blue", 1.3));
        }

        function test_background() {
            bevel = basic.createObject(face);
            verify(!bevel.children[0].visible);
            bevel.bgvisible = true;
            compare(bevel.children[0].color, Qt.color("white"));
            compare(bevel.children[0].width, 100);
            bevel.bgcolor = "green";
            compare(bevel.children[0].color, Qt.color("green"));
            // The background lies under the lines.
            verify(bevel.children[0].z <= bevel.children[1].z);
        }

        function test_pixels_of_raised_bevel() {
            bevel = basic.createObject(face);
            waitForRendering(face);
            const img = grabImage(top);
            // Top-left light, right edge dark, just below the face dark.
            const at = (x, y) => String(img.pixel(x, y));
            compare(at(20, 25), String(light()), "left");
            compare(at(60, 20), String(light()), "top");
            compare(at(119, 30), String(dark()), "right");
            compare(at(60, 60), String(dark()), "below");
            compare(at(60, 30), "#808080", "face");
            compare(at(60, 61), "#ffffff", "nothing further below");
        }
    }
}
