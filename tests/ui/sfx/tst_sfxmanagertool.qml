import QtQuick
import QtQuick.Controls.Basic
import QtTest
import com.tarnwick.vand_ui

// The SFX manager window over two list models as a host fills them, and its
// play/stop symbol.
Item {
    id: top
    width: 400
    height: 300

    Component {
        id: modelComponent
        ListModel {}
    }

    Component {
        id: toolComponent
        SfxManagerTool {}
    }

    Component {
        id: buttonComponent
        SfxPlayButton {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "SfxPlayButton"
        when: windowShown

        function test_handleClick_data() {
            return [
                { tag: "managing, play", manages: true, start: false, click: true, playing: true },
                { tag: "managing, stop", manages: true, start: true, click: false, playing: false },
                { tag: "not managing, play", manages: false, start: false, click: true, playing: false },
                { tag: "not managing, stop", manages: false, start: true, click: false, playing: true },
            ];
        }

        function test_handleClick(data) {
            const button = createTemporaryObject(buttonComponent, top,
                                                 { buttonManagesState: data.manages, playing: data.start });
            waitForRendering(button);
            button.handleClick(data.click);
            compare(button.playing, data.playing);
        }

        function test_defaults() {
            const button = createTemporaryObject(buttonComponent, top);
            verify(!button.playing);
            verify(button.buttonManagesState);
            verify(button.visible);
            const canvas = findChild(button, "symbolCanvas");
            compare(canvas.width, button.width);
            compare(canvas.height, button.height);
        }
    }

    TestCase {
        name: "SfxManagerTool"
        when: windowShown

        function makeModel(rows) {
            const model = createTemporaryObject(modelComponent, top);
            for (const row of rows)
                model.append(row);
            return model;
        }

        function sources(count) {
            const rows = [];
            for (let i = 0; i < count; ++i)
                rows.push({ sfxid: "fx" + i, displayname: "Effect " + i });
            return rows;
        }

        function instances(count, notReady) {
            const rows = [];
            for (let i = 0; i < count; ++i)
                rows.push({ eventId: "sfx." + i, summary: "Instance " + i, isReady: i !== notReady });
            return rows;
        }

        function makeTool(sourceCount, instanceRows) {
            const tool = createTemporaryObject(toolComponent, top, {
                availableSoundEffectsModel: makeModel(sources(sourceCount)),
                soundEffectInstancesModel: makeModel(instanceRows)
            });
            verify(tool !== null);
            waitForRendering(tool.contentItem);
            tool.requestActivate();
            tryVerify(() => tool.active);
            return tool;
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        // Every request of the window, in order.
        function record(tool) {
            const log = [];
            tool.playSfx.connect((id) => log.push("play " + id));
            tool.stopSfx.connect((id) => log.push("stop " + id));
            tool.addSoundEffectInstanceClicked.connect((id) => log.push("add " + id));
            tool.editSoundEffectInstanceClicked.connect((id) => log.push("edit " + id));
            tool.deleteSoundEffectInstanceClicked.connect((id) => log.push("delete " + id));
            return log;
        }

        function instanceRow(tool, index) {
            const list = findChild(tool.contentItem, "instanceList");
            list.positionViewAtIndex(index, ListView.Contain);
            list.forceLayout();
            const row = list.itemAtIndex(index);
            verify(row !== null, "instance row " + index);
            return row;
        }

        function sourceRow(tool, index) {
            const row = findChild(tool.contentItem, "sourceList").itemAtIndex(index);
            verify(row !== null, "source row " + index);
            return row;
        }

        function button(tool, name) {
            return findChild(tool.contentItem, name);
        }

        function act(tool, step) {
            switch (step) {
            case "select":
                mouseClick(findChild(instanceRow(tool, 0), "instanceRowArea"));
                break;
            case "play":
                mouseClick(findChild(instanceRow(tool, 0), "rowPlayArea"));
                break;
            case "finish":
                tool.sfxFinished("sfx.0");
                break;
            case "other source":
                mouseClick(sourceRow(tool, 1));
                break;
            }
        }

        function test_enablement_data() {
            return [
                { tag: "no sources", sources: 0, steps: [], create: false, modify: false, playing: 0 },
                { tag: "no sources, selected", sources: 0, steps: ["select"], create: false, modify: true, playing: 0 },
                { tag: "nothing selected", sources: 3, steps: [], create: true, modify: false, playing: 0 },
                { tag: "selected", sources: 3, steps: ["select"], create: true, modify: true, playing: 0 },
                { tag: "started", sources: 3, steps: ["select", "play"], create: false, modify: false, playing: 1 },
                { tag: "started unselected", sources: 3, steps: ["play"], create: false, modify: false, playing: 1 },
                { tag: "stopped", sources: 3, steps: ["select", "play", "play"], create: true, modify: true, playing: 0 },
                { tag: "finished", sources: 3, steps: ["select", "play", "finish"], create: true, modify: true, playing: 0 },
                { tag: "finished twice", sources: 3, steps: ["select", "play", "finish", "finish"], create: true, modify: true, playing: 0 },
            ];
        }

        function test_enablement(data) {
            const tool = makeTool(data.sources, instances(2));
            for (const step of data.steps)
                act(tool, step);
            compare(button(tool, "createButton").enabled, data.create);
            compare(button(tool, "editButton").enabled, data.modify);
            compare(button(tool, "deleteButton").enabled, data.modify);
            verify(button(tool, "closeButton").enabled);
            compare(tool.playing.length, data.playing);
            compare(findChild(instanceRow(tool, 0), "rowPlayButton").playing, data.playing === 1);
        }

        function test_play_button_requests() {
            const tool = makeTool(1, instances(2));
            const log = record(tool);
            const updates = spy(tool, "playStateUpdated");
            act(tool, "play");
            compare(log, ["play sfx.0"]);
            verify(tool.playingContains("sfx.0"));
            compare(updates.count, 1);
            act(tool, "play");
            compare(log, ["play sfx.0", "stop sfx.0"]);
            verify(!tool.playingContains("sfx.0"));
            compare(updates.count, 2);
        }

        function test_buttons_data() {
            return [
                { tag: "Create", button: "createButton", select: true, log: ["add fx0"], selected: "sfx.1" },
                { tag: "Edit", button: "editButton", select: true, log: ["stop sfx.1", "edit sfx.1"], selected: "sfx.1" },
                { tag: "Delete", button: "deleteButton", select: true, log: ["stop sfx.1", "delete sfx.1"], selected: "" },
            ];
        }

        function test_buttons(data) {
            const tool = makeTool(2, instances(3));
            mouseClick(findChild(instanceRow(tool, 1), "instanceRowArea"));
            compare(tool.selectedSfxInstanceEventId, "sfx.1");
            const log = record(tool);
            const updates = spy(tool, "playStateUpdated");
            mouseClick(button(tool, data.button));
            compare(log, data.log);
            compare(updates.count, 1);
            compare(tool.selectedSfxInstanceEventId, data.selected);
        }

        // After another source file is chosen the buttons keep their state
        // until the next announcement; Edit and Delete then do nothing.
        function test_stale_buttons_do_nothing_data() {
            return [
                { tag: "Edit", button: "editButton" },
                { tag: "Delete", button: "deleteButton" },
            ];
        }

        function test_stale_buttons_do_nothing(data) {
            const tool = makeTool(2, instances(2));
            act(tool, "select");
            const updates = spy(tool, "playStateUpdated");
            const selected = spy(tool, "soundEffectSelected");
            act(tool, "other source");
            compare(tool.selectedSfxEffectId, "fx1");
            compare(selected.count, 1);
            compare(selected.signalArguments[0][0], 1);
            compare(tool.selectedSfxInstanceEventId, "");
            compare(updates.count, 0);
            verify(button(tool, data.button).enabled);
            const log = record(tool);
            mouseClick(button(tool, data.button));
            compare(log, []);
        }

        function test_empty_selection_keys_emit_nothing() {
            const tool = makeTool(1, instances(2));
            const list = findChild(tool.contentItem, "instanceList");
            list.forceActiveFocus();
            verify(list.activeFocus);
            compare(list.currentIndex, -1);
            const log = record(tool);
            keyClick(Qt.Key_Space);
            compare(log, []);
        }

        function test_clicking_the_selected_instance_emits_nothing() {
            const tool = makeTool(1, instances(2));
            act(tool, "select");
            const updates = spy(tool, "playStateUpdated");
            const log = record(tool);
            mouseClick(findChild(instanceRow(tool, 0), "instanceRowArea"));
            compare(updates.count, 0);
            compare(log, []);
            compare(tool.selectedSfxInstanceEventId, "sfx.0");
        }

        function test_double_click_edits_the_instance() {
            const tool = makeTool(1, instances(2));
            const log = record(tool);
            mouseDoubleClickSequence(findChild(instanceRow(tool, 1), "instanceRowArea"));
            compare(tool.selectedSfxInstanceEventId, "sfx.1");
            compare(log, ["stop sfx.1", "edit sfx.1"]);
        }

        // While an instance started here plays, no way of editing it works;
        // Space must refuse as Edit and a double click do.
        function test_edit_while_playing_does_nothing_data() {
            return [
                { tag: "double click", how: "double click" },
                { tag: "Space", how: "space" },
                { tag: "Edit", how: "edit" },
            ];
        }

        function test_edit_while_playing_does_nothing(data) {
            const tool = makeTool(1, instances(2));
            act(tool, "select");
            act(tool, "play");
            const list = findChild(tool.contentItem, "instanceList");
            list.forceActiveFocus();
            verify(list.activeFocus);
            const log = record(tool);
            if (data.how === "double click")
                mouseDoubleClickSequence(findChild(instanceRow(tool, 0), "instanceRowArea"));
            else if (data.how === "space")
                keyClick(Qt.Key_Space);
            else
                mouseClick(button(tool, "editButton"));
            compare(log, []);
            verify(tool.playingContains("sfx.0"));
        }

        function test_not_ready_row_swallows_clicks() {
            const tool = makeTool(1, instances(3, 1));
            const row = instanceRow(tool, 1);
            verify(findChild(row, "notReadyCover").visible);
            verify(!findChild(instanceRow(tool, 0), "notReadyCover").visible);
            const log = record(tool);
            const updates = spy(tool, "playStateUpdated");
            mouseClick(findChild(row, "instanceRowArea"));
            mouseDoubleClickSequence(findChild(row, "instanceRowArea"));
            mouseClick(findChild(row, "rowPlayArea"));
            compare(log, []);
            compare(updates.count, 0);
            compare(tool.selectedSfxInstanceEventId, "");

            // The keyboard still reaches it.
            act(tool, "select");
            keyClick(Qt.Key_Down);
            compare(tool.selectedSfxInstanceEventId, "sfx.1");
            keyClick(Qt.Key_Space);
            compare(log, ["stop sfx.1", "edit sfx.1"]);
        }

        // The window hears the end of a sound whose row has no delegate.
        function test_finish_of_a_row_out_of_view() {
            const tool = makeTool(1, instances(40));
            act(tool, "select");
            act(tool, "play");
            verify(!button(tool, "editButton").enabled);
            const list = findChild(tool.contentItem, "instanceList");
            list.positionViewAtEnd();
            list.forceLayout();
            tryVerify(() => list.itemAtIndex(0) === null);
            tool.sfxFinished("sfx.0");
            compare(tool.playing.length, 0);
            verify(button(tool, "createButton").enabled);
            verify(button(tool, "editButton").enabled);
            verify(button(tool, "deleteButton").enabled);
            verify(!findChild(instanceRow(tool, 0), "rowPlayButton").playing);
        }

        function test_source_list_requests_data() {
            return [
                { tag: "double click", how: "double" },
                { tag: "Space", how: "space" },
            ];
        }

        function test_source_list_requests(data) {
            const tool = makeTool(3, instances(1));
            const row = sourceRow(tool, 2);
            mouseClick(row);
            compare(tool.selectedSfxEffectId, "fx2");
            const log = record(tool);
            const updates = spy(tool, "playStateUpdated");
            if (data.how === "double") {
                mouseDoubleClickSequence(row);
            } else {
                verify(findChild(tool.contentItem, "sourceList").activeFocus);
                keyClick(Qt.Key_Space);
            }
            compare(log, ["add fx2"]);
            compare(updates.count, 1);
        }

        function test_tab_order_of_the_source_list() {
            const tool = makeTool(2, instances(2));
            const sourceList = findChild(tool.contentItem, "sourceList");
            sourceList.forceActiveFocus();
            keyClick(Qt.Key_Tab);
            verify(findChild(tool.contentItem, "instanceList").activeFocus);
            sourceList.forceActiveFocus();
            keyClick(Qt.Key_Backtab, Qt.ShiftModifier);
            verify(button(tool, "closeButton").activeFocus);
        }

        function test_closing_data() {
            return [
                { tag: "Escape", how: Qt.Key_Escape },
                { tag: "Return", how: Qt.Key_Return },
                { tag: "Close", how: "button" },
            ];
        }

        function test_closing(data) {
            const tool = makeTool(1, instances(1));
            const closes = spy(tool, "requestClose");
            if (data.how === "button")
                mouseClick(button(tool, "closeButton"));
            else
                keyClick(data.how);
            compare(closes.count, 1);
            verify(!tool.visible);
        }

        function test_rows_data() {
            return [
                { tag: "source", list: "sourceList" },
                { tag: "instance", list: "instanceList" },
            ];
        }

        function test_rows(data) {
            const tool = makeTool(2, instances(2));
            const list = findChild(tool.contentItem, data.list);
            const row = list.itemAtIndex(0);
            compare(row.height, 40);
            compare(row.width, list.width - list.ScrollBar.vertical.width);
            verify(list.ScrollBar.vertical.width > 0);
        }

        function test_defaults() {
            const tool = makeTool(0, []);
            compare(tool.title, "SFX Manager");
            compare(tool.width, 800);
            compare(tool.height, 600);
            compare(tool.minimumWidth, 640);
            compare(tool.minimumHeight, 480);
            compare(tool.selectedSfxEffectId, "");
            compare(tool.selectedSfxInstanceEventId, "");
            compare(tool.playing.length, 0);
        }
    }
}
