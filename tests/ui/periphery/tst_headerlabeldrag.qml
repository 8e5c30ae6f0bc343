import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 1400
    height: 200

    Component {
        id: viewComponent
        // A header row: status column, name column, and the grip between
        // the name column and the next.
        Item {
            property alias split: split
            property alias nameHeader: nameHeader
            width: 1400
            height: 40

            Rectangle {
                id: statusLabel
                width: 100
                height: 24
            }
            Rectangle {
                id: nameHeader
                x: statusLabel.width + split.colSpacing
                width: split.desiredWidth
                height: 24
            }
            HeaderLabelDrag {
                id: split
                height: 24
                controlToLeft: nameHeader
                controlToFarLeft: statusLabel
                statusItem: statusLabel
            }
        }
    }

    Component {
        id: bareComponent
        Item {
            property alias split: split
            width: 400
            height: 40
            HeaderLabelDrag {
                id: split
                height: 24
            }
        }
    }

    TestCase {
        name: "HeaderLabelDrag"
        when: windowShown

        function grab(view) {
            const split = view.split;
            const y = 10;
            mousePress(view, split.x + 4, y);
            return y;
        }

        function test_position_and_grip() {
            const view = createTemporaryObject(viewComponent, top);
            compare(view.split.width, 8);
            compare(view.split.x, 103 + 40 + 3);
            const grip = findChild(view.split, "gripLine");
            compare(grip.height, 20);
            compare(grip.width, 2);
            compare(grip.color, Qt.rgba(60 / 255, 60 / 255, 60 / 255, 1));
            compare(findChild(view.split, "dragArea").cursorShape, Qt.SizeHorCursor);
        }

        function test_drag_data() {
            return [
                { tag: "past the column's start", to: -400, held: 40, released: 40 },
                { tag: "right to the column's start", to: 103 + 3, held: 40, released: 40 },
                { tag: "inside", to: 400, held: 400 - 102, released: 400 - 102 },
                { tag: "far right", to: 1300, held: 1024, released: 1300 - 102 },
            ];
        }

        // The grip's left edge is taken to `to`; the width follows while the
        // button is held, and once more on release.
        function test_drag(data) {
            const view = createTemporaryObject(viewComponent, top);
            const split = view.split;
            const y = grab(view);
            const offset = 4;
            mouseMove(view, split.x + offset + 30, y);
            mouseMove(view, data.to + offset, y);
            tryVerify(() => split.x === data.to);
            compare(split.desiredWidth, data.held);
            mouseRelease(view, data.to + offset, y);
            compare(split.desiredWidth, data.released);
            compare(view.nameHeader.width, data.released);
            compare(split.x, view.nameHeader.x + view.nameHeader.width + split.colSpacing);
        }

        function test_minimum_width_is_settable() {
            const view = createTemporaryObject(viewComponent, top);
            view.split.minWidth = 70;
            const y = grab(view);
            mouseMove(view, 200, y);
            mouseMove(view, 0, y);
            mouseRelease(view, 0, y);
            compare(view.split.desiredWidth, 70);
        }

        // Without a status label the grip draws no line but still drags;
        // without a far-left item the width stays, and without a header to
        // its left the grip goes back to x 0.
        function test_unplaced_splitter() {
            const view = createTemporaryObject(bareComponent, top);
            const split = view.split;
            compare(split.x, 0);
            compare(findChild(split, "gripLine").height, 0);
            mousePress(view, 4, 10);
            mouseMove(view, 40, 10);
            mouseMove(view, 200, 10);
            compare(split.x, 196);
            compare(split.desiredWidth, 40);
            mouseRelease(view, 200, 10);
            compare(split.desiredWidth, 40);
            compare(split.x, 0);
        }
    }
}
