import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 400
    height: 300

    Rectangle {
        id: host
        x: 150
        y: 150
        width: 80
        height: 30

        VandToolTip {
            id: tip
            host: host
            text: "Hint"
        }

        VandToolTip {
            id: placed
            host: host
            text: "Placed"
            y: -2 * height
        }
    }

    TestCase {
        name: "VandToolTip"
        when: windowShown

        function cleanup() {
            tip.visible = false;
            tip.delay = 0;
            placed.visible = false;
        }

        // Nothing but its settings exists until it is first shown.
        function test_popupBuiltWhenFirstShown() {
            const fresh = Qt.createQmlObject(
                'import com.tarnwick.vand_ui; VandToolTip { text: "Later" }', host);
            fresh.host = host;
            compare(fresh.popup, null);
            compare(fresh.height, 0);
            verify(!fresh.opened);
            fresh.visible = true;
            verify(fresh.popup !== null);
            tryVerify(() => fresh.opened);
            compare(fresh.popup.text, "Later");
            verify(fresh.height > 0);
            fresh.visible = false;
            tryVerify(() => !fresh.opened);
            fresh.destroy();
        }

        // The style's place above the host, the host's own y when given.
        function test_placement() {
            tip.visible = true;
            tryVerify(() => tip.opened);
            compare(tip.popup.parent, host);
            verify(tip.popup.y < 0);
            compare(tip.popup.x, (host.width - tip.popup.implicitWidth) / 2);
            placed.visible = true;
            tryVerify(() => placed.opened);
            compare(placed.popup.y, -2 * placed.popup.height);
        }

        function test_delayAndText() {
            tip.delay = 300;
            tip.visible = true;
            wait(100);
            verify(!tip.opened);
            tryVerify(() => tip.opened, 2000);
            tip.text = "Changed";
            compare(tip.popup.text, "Changed");
        }

        function test_withoutHostNothingIsBuilt() {
            const lone = Qt.createQmlObject('import com.tarnwick.vand_ui; VandToolTip { text: "x" }', top);
            lone.visible = true;
            compare(lone.popup, null);
            verify(!lone.opened);
            lone.destroy();
        }
    }
}
