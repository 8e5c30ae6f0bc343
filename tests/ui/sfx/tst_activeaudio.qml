import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

// The active-audio list and its rows over a list model with the roles and
// the two request signals of the sound library's model.
Item {
    id: top
    width: 500
    height: 500

    // Player ids are unsigned 64-bit numbers; this one needs more than 32
    // bits and is still exact as a double.
    readonly property real bigId: 9007199254740991

    Component {
        id: modelComponent
        ListModel {
            signal playTrack(real id)
            signal stopTrack(real id, bool isUrgent)
        }
    }

    Component {
        id: listComponent
        ActiveAudioList {
            width: 320
            height: 220
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "ActiveAudio"
        when: windowShown

        function track(fields) {
            const row = { id: 1, name: "Thunder", path: "/sfx/thunder.sfx", volume: 1.0, duration: 90,
                          progress: 0, isPlaying: true, isPinned: false };
            for (const key in fields)
                row[key] = fields[key];
            return row;
        }

        function makeList(rows) {
            const model = createTemporaryObject(modelComponent, top);
            for (const row of rows)
                model.append(row);
            const list = createTemporaryObject(listComponent, top, { model: model });
            verify(list !== null);
            waitForRendering(list);
            return list;
        }

        function view(list) {
            return findChild(list, "activeAudioList");
        }

        function rowAt(list, index) {
            const listView = view(list);
            listView.positionViewAtIndex(index, ListView.Contain);
            listView.forceLayout();
            const row = listView.itemAtIndex(index);
            verify(row !== null, "row " + index);
            return row;
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        function test_formatTime_data() {
            return [
                { tag: "75.4 s", seconds: 75.4, text: "1:15" },
                { tag: "9.9 s", seconds: 9.9, text: "0:09" },
                { tag: "600 s", seconds: 600, text: "10:00" },
                { tag: "0 s", seconds: 0, text: "0:00" },
                { tag: "59.99 s", seconds: 59.99, text: "0:59" },
                { tag: "not a number", seconds: NaN, text: "0:00" },
                { tag: "endless", seconds: Infinity, text: "0:00" },
                { tag: "below 0", seconds: -5, text: "0:00" },
            ];
        }

        function test_formatTime(data) {
            const row = rowAt(makeList([track({})]), 0);
            compare(row.formatTime(data.seconds), data.text);
        }

        function test_time_line_data() {
            return [
                { tag: "a quarter of 90 s", duration: 90, progress: 0.25, text: "0:22 / 1:30", played: 0.25 },
                { tag: "the end of 90 s", duration: 90, progress: 1, text: "1:30 / 1:30", played: 1 },
                { tag: "no duration", duration: 0, progress: 0.5, text: "0:00 / 0:00", played: 0.5 },
                // What is no number never shows as "NaN:NaN".
                { tag: "progress not a number", duration: 90, progress: NaN, text: "0:00 / 1:30", played: 0 },
                { tag: "progress past the end", duration: 90, progress: 1.5, text: "1:30 / 1:30", played: 1 },
                { tag: "progress below 0", duration: 90, progress: -0.5, text: "0:00 / 1:30", played: 0 },
                { tag: "duration not a number", duration: NaN, progress: 0.5, text: "0:00 / 0:00", played: 0.5 },
                { tag: "endless duration", duration: Infinity, progress: 0.5, text: "0:00 / 0:00", played: 0.5 },
            ];
        }

        function test_time_line(data) {
            const row = rowAt(makeList([track({ duration: data.duration, progress: data.progress })]), 0);
            compare(findChild(row, "timeText").text, data.text);
            const middle = findChild(row, "middleArea");
            verify(middle.width > 0);
            fuzzyCompare(findChild(row, "playedPortion").width, data.played * middle.width, 0.001);
        }

        function test_name_data() {
            return [
                { tag: "named", name: "Thunder", text: "Thunder" },
                { tag: "empty", name: "", text: "Name not set" },
            ];
        }

        function test_name(data) {
            const row = rowAt(makeList([track({ name: data.name })]), 0);
            compare(findChild(row, "nameText").text, data.text);
        }

        // A click at a fraction of the middle area of a 90 s row; within a
        // second of either end it snaps there.
        function test_seek_data() {
            return [
                { tag: "0.5 % snaps to the start", duration: 90, fraction: 0.005, position: 0 },
                { tag: "99.5 % snaps to the end", duration: 90, fraction: 0.995, position: 1 },
                { tag: "50 %", duration: 90, fraction: 0.5, position: 0.5 },
                { tag: "30 %", duration: 90, fraction: 0.3, position: 0.3 },
                { tag: "no duration", duration: 0, fraction: 0.5, position: -1 },
            ];
        }

        function test_seek(data) {
            const list = makeList([track({ id: top.bigId, duration: data.duration, progress: 0.75 })]);
            const row = rowAt(list, 0);
            const seeks = spy(list, "setPosition");
            const rowSeeks = spy(row, "setPosition");
            const area = findChild(row, "seekArea");
            const x = Math.round(data.fraction * area.width);
            mouseClick(area, x, area.height / 2);
            if (data.position < 0) {
                compare(seeks.count, 0);
                compare(rowSeeks.count, 0);
                compare(list.model.get(0).progress, 0.75);
                return;
            }
            const expected = data.position === 0 || data.position === 1 ? data.position : x / area.width;
            fuzzyCompare(expected, data.position, 0.01);
            compare(rowSeeks.count, 1);
            compare(seeks.count, 1);
            compare(seeks.signalArguments[0][0], top.bigId);
            compare(seeks.signalArguments[0][1], expected);
            compare(list.model.get(0).progress, expected);
        }

        function test_play_and_stop_data() {
            return [
                { tag: "not playing", isPlaying: false, plays: 1, stops: 0 },
                { tag: "playing", isPlaying: true, plays: 0, stops: 1 },
            ];
        }

        function test_play_and_stop(data) {
            const list = makeList([track({ id: 4, isPlaying: false }),
                                   track({ id: top.bigId, isPlaying: data.isPlaying })]);
            const plays = spy(list.model, "playTrack");
            const stops = spy(list.model, "stopTrack");
            const row = rowAt(list, 1);
            const button = findChild(row, "playButton");
            compare(button.playing, data.isPlaying);
            mouseClick(findChild(row, "playArea"));
            compare(plays.count, data.plays);
            compare(stops.count, data.stops);
            if (data.plays)
                compare(plays.signalArguments[0][0], top.bigId);
            else
                compare([stops.signalArguments[0][0], stops.signalArguments[0][1]], [top.bigId, false]);
            // The symbol follows the model, not the click.
            compare(button.playing, data.isPlaying);
            list.model.setProperty(1, "isPlaying", !data.isPlaying);
            compare(button.playing, !data.isPlaying);
        }

        function test_pin_follows_the_role() {
            const list = makeList([track({ id: 1, isPinned: true }), track({ id: 2, isPinned: false })]);
            const pinned = rowAt(list, 0);
            const unpinned = rowAt(list, 1);
            verify(!findChild(pinned, "pinOverlay").visible);
            verify(findChild(unpinned, "pinOverlay").visible);

            mouseClick(findChild(pinned, "pinArea"));
            compare(list.model.get(0).isPinned, false);
            verify(findChild(pinned, "pinOverlay").visible);
            mouseClick(findChild(unpinned, "pinArea"));
            compare(list.model.get(1).isPinned, true);
            verify(!findChild(unpinned, "pinOverlay").visible);

            // The controller's write counts as much as the click.
            list.model.setProperty(1, "isPinned", false);
            verify(findChild(unpinned, "pinOverlay").visible);
        }

        function test_pin_hint_data() {
            return [
                { tag: "pinned", isPinned: true, hovered: "qrc:/images/keep_off.svg" },
                { tag: "not pinned", isPinned: false, hovered: "qrc:/images/keep.svg" },
            ];
        }

        function test_pin_hint(data) {
            const list = makeList([track({ isPinned: data.isPinned })]);
            const row = rowAt(list, 0);
            const image = findChild(row, "pinImage");
            const area = findChild(row, "pinArea");
            compare(String(image.source), "qrc:/images/keep.svg");
            mouseMove(area, area.width / 2, area.height / 2);
            tryCompare(area, "containsMouse", true);
            compare(String(image.source), data.hovered);
            mouseClick(area);
            compare(String(image.source), "qrc:/images/keep.svg");
            compare(list.model.get(0).isPinned, !data.isPinned);
            mouseMove(row, row.width - 5, row.height / 2);
            tryCompare(area, "containsMouse", false);
            compare(String(image.source), "qrc:/images/keep.svg");
        }

        // Rows scrolled out of view lose their delegates; the new ones show
        // the pin state of the model.
        function test_pin_after_scrolling() {
            const rows = [];
            for (let i = 0; i < 40; ++i)
                rows.push(track({ id: 100 + i, isPinned: i === 0 }));
            const list = makeList(rows);
            const first = rowAt(list, 1);
            mouseClick(findChild(first, "pinArea"));
            compare(list.model.get(1).isPinned, true);

            const listView = view(list);
            listView.positionViewAtEnd();
            listView.forceLayout();
            tryVerify(() => listView.itemAtIndex(0) === null && listView.itemAtIndex(1) === null);
            listView.positionViewAtBeginning();
            listView.forceLayout();

            const rebuilt = [rowAt(list, 0), rowAt(list, 1), rowAt(list, 2)];
            verify(!findChild(rebuilt[0], "pinOverlay").visible);
            verify(!findChild(rebuilt[1], "pinOverlay").visible);
            verify(findChild(rebuilt[2], "pinOverlay").visible);
        }

        function test_rows_leave_room_for_the_scroll_bar() {
            const list = makeList([track({})]);
            const listView = view(list);
            const bar = findChild(list, "scrollBar");
            verify(bar.visible);
            verify(bar.width > 0);
            const row = rowAt(list, 0);
            compare(row.width, listView.width - bar.width);
            compare(row.height, 40);
            bar.visible = false;
            compare(row.width, listView.width);
        }

        function test_defaults() {
            const list = createTemporaryObject(listComponent, top);
            const bare = createTemporaryQmlObject("import com.tarnwick.vand_ui; ActiveAudioList {}", top);
            compare(bare.width, 200);
            compare(bare.height, 300);
            compare(list.background.color, list.theme.default_bg_color);
            compare(list.background.width, list.width);
            compare(list.background.height, list.height);
            compare(view(list).spacing, 5);
            verify(view(list).clip);
        }
    }
}
