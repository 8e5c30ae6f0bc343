import QtQuick
import QtTest
import com.tarnwick.vand_ui

// The dialog that creates and edits a sound-effect instance.
Item {
    id: top
    width: 400
    height: 300

    readonly property real minimumPosition: 0.04076220398
    readonly property real zeroMarkPosition: 0.7866278611

    ListModel {
        id: effects
        ListElement { displayname: "Thunder"; sfxid: "fx.thunder" }
        ListElement { displayname: "Rain"; sfxid: "fx.rain" }
        ListElement { displayname: "Door"; sfxid: "fx.door" }
    }

    ListModel {
        id: paths
        ListElement { path_name: "Stage left"; path_id: "5b0e61c1-5d5c-4bb3-a0a4-0c2d1f0e9a11" }
        ListElement { path_name: "Stage right"; path_id: "9f4c2a3e-7c1d-4e8b-9a6f-3d2e1c0b4a22" }
    }

    Component {
        id: toolComponent
        StandaloneSfxTool {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "StandaloneSfxTool"
        when: windowShown

        function makeTool(properties) {
            const tool = createTemporaryObject(toolComponent, top, properties || {});
            verify(tool !== null);
            return tool;
        }

        function show(tool) {
            tool.visible = true;
            waitForRendering(tool.contentItem);
            tool.requestActivate();
            tryVerify(() => tool.active);
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        function item(tool, name) {
            return findChild(tool.contentItem, name);
        }

        function test_ok_data() {
            return [
                { tag: "no fades", fadeIn: "", fadeOut: "", position: top.zeroMarkPosition, loop: false,
                  isEdit: false, inMs: 0, outMs: 0, gain: 0.5012, repeats: 0 },
                { tag: "letters", fadeIn: "abc", fadeOut: "x1", position: top.zeroMarkPosition, loop: false,
                  isEdit: true, inMs: 0, outMs: 0, gain: 0.5012, repeats: 0 },
                { tag: "seconds with a fraction", fadeIn: "1.5", fadeOut: " 2s", position: 1, loop: true,
                  isEdit: false, inMs: 1500, outMs: 2000, gain: 1, repeats: -1 },
                // A negative time would wrap to a huge unsigned fade.
                { tag: "negative", fadeIn: "-1", fadeOut: "-0.5", position: top.minimumPosition, loop: true,
                  isEdit: true, inMs: 0, outMs: 0, gain: 0.0001, repeats: -1 },
                { tag: "below a millisecond", fadeIn: "0.0004", fadeOut: "0.0016", position: 1, loop: false,
                  isEdit: false, inMs: 0, outMs: 1, gain: 1, repeats: 0 },
                // Beyond the int range the value would wrap round.
                { tag: "huge", fadeIn: "1e10", fadeOut: "Infinity", position: 1, loop: false,
                  isEdit: false, inMs: 2147483647, outMs: 2147483647, gain: 1, repeats: 0 },
            ];
        }

        function test_ok(data) {
            const tool = makeTool({ effectModel: effects, outputPathsModel: paths, isEdit: data.isEdit });
            show(tool);
            tool.effectIdIndex = 1;
            tool.outputPathIndex = 1;
            tool.fadeIn = data.fadeIn;
            tool.fadeOut = data.fadeOut;
            tool.volume = data.position;
            tool.pan = 30;
            tool.reverb = 20;
            tool.loop = data.loop;
            const creates = spy(tool, "createRequest");
            const changes = spy(tool, "changeRequest");
            const log = [];
            tool.createRequest.connect(() => log.push("create"));
            tool.changeRequest.connect(() => log.push("change"));
            tool.toolClosing.connect(() => log.push("closing"));
            mouseClick(item(tool, "okButton"));

            compare(log, [data.isEdit ? "change" : "create", "closing"]);
            verify(!tool.visible);
            const sent = data.isEdit ? changes : creates;
            compare(creates.count + changes.count, 1);
            const args = sent.signalArguments[0];
            compare(args[0], "Rain");
            compare(args[1], "9f4c2a3e-7c1d-4e8b-9a6f-3d2e1c0b4a22");
            compare(args[2], 1);
            compare(args[3], "fx.rain");
            compare(args[4], 1);
            fuzzyCompare(args[5], data.gain, 0.0001);
            compare(args[6], 30);
            compare(args[7], 20);
            compare(args[8], data.inMs);
            compare(args[9], data.outMs);
            compare(args[10], data.repeats);
        }

        function test_gain_at_the_zero_mark() {
            const tool = makeTool();
            compare(tool.volume, top.zeroMarkPosition);
            const creates = spy(tool, "createRequest");
            show(tool);
            mouseClick(item(tool, "okButton"));
            fuzzyCompare(creates.signalArguments[0][5], 0.50118, 0.00001);
        }

        // With empty models nothing is chosen: the ids go as empty texts.
        function test_ok_without_models() {
            const tool = makeTool();
            show(tool);
            const creates = spy(tool, "createRequest");
            keyClick(Qt.Key_Return);
            compare(creates.count, 1);
            const args = creates.signalArguments[0];
            compare(args[1], "");
            compare(args[2], -1);
            compare(args[3], "");
            compare(args[4], -1);
            compare(args[6], 50);
            compare(args[7], 50);
        }

        function test_cancel_and_close_data() {
            return [
                { tag: "Cancel", how: "cancel" },
                { tag: "Escape", how: "escape" },
                { tag: "title bar", how: "close" },
            ];
        }

        function test_cancel_and_close(data) {
            const tool = makeTool({ effectModel: effects });
            show(tool);
            mouseClick(item(tool, "nameInput"));
            keyClick(Qt.Key_A);
            verify(tool.isNameDirty);
            const creates = spy(tool, "createRequest");
            const changes = spy(tool, "changeRequest");
            const closings = spy(tool, "toolClosing");
            if (data.how === "cancel")
                mouseClick(item(tool, "cancelButton"));
            else if (data.how === "escape")
                keyClick(Qt.Key_Escape);
            else
                tool.close();
            compare(closings.count, 1);
            compare(creates.count + changes.count, 0);
            verify(!tool.visible);
            if (data.how === "close")
                verify(!tool.isNameDirty);
        }

        function test_name_follows_the_effect_until_typed() {
            const tool = makeTool({ effectModel: effects });
            show(tool);
            compare(tool.name, "Thunder");
            tool.effectIdIndex = 2;
            compare(tool.name, "Door");
            compare(tool.effectText, "Door");
            compare(tool.effectId, "fx.door");

            const field = findChild(item(tool, "nameInput"), "field");
            field.forceActiveFocus();
            field.cursorPosition = field.text.length;
            keyClick(Qt.Key_S);
            compare(tool.name, "Doors");
            verify(tool.isNameDirty);
            tool.effectIdIndex = 1;
            compare(tool.name, "Doors");
        }

        // An edited instance's stored name is not replaced by its effect's.
        function test_name_written_by_the_host_stays_data() {
            return [
                { tag: "at creation", early: true },
                { tag: "after creation", early: false },
            ];
        }

        function test_name_written_by_the_host_stays(data) {
            const tool = makeTool(data.early ? { effectModel: effects, name: "Storm" } : { effectModel: effects });
            if (!data.early)
                tool.name = "Storm";
            show(tool);
            compare(tool.name, "Storm");
            tool.effectIdIndex = 2;
            compare(tool.name, "Storm");
            verify(!tool.isNameDirty);
        }

        function test_title_data() {
            return [
                { tag: "create", isEdit: false, title: "Create Instance" },
                { tag: "edit", isEdit: true, title: "Edit Instance" },
            ];
        }

        function test_title(data) {
            compare(makeTool({ isEdit: data.isEdit }).title, data.title);
        }

        function test_setOutputPathIndexFromName_data() {
            return [
                { tag: "second path", id: "9f4c2a3e-7c1d-4e8b-9a6f-3d2e1c0b4a22", index: 1 },
                { tag: "first path", id: "5b0e61c1-5d5c-4bb3-a0a4-0c2d1f0e9a11", index: 0 },
                { tag: "unknown", id: "00000000-0000-0000-0000-000000000000", index: -1 },
                { tag: "empty", id: "", index: -1 },
            ];
        }

        function test_setOutputPathIndexFromName(data) {
            const tool = makeTool({ outputPathsModel: paths });
            tool.outputPathIndex = data.index === 0 ? 1 : 0;
            tool.setOutputPathIndexFromName(data.id);
            compare(tool.outputPathIndex, data.index);
            if (data.index >= 0)
                compare(tool.outputPath, data.id);
        }

        function test_shown_controls() {
            const tool = makeTool({ effectModel: effects, eventId: "sfx.42" });
            show(tool);
            verify(!item(tool, "outputPathInput").visible);
            verify(!item(tool, "reverbSlider").visible);
            for (const name of ["nameInput", "effectInput", "volumeSlider", "panSlider", "fadeInInput",
                                "fadeOutInput", "loopBox", "eventIdLabel"])
                verify(item(tool, name).visible, name);
            compare(item(tool, "eventIdLabel").value, "sfx.42");
            compare(tool.width, item(tool, "mainColumn").implicitWidth + 50);
            const slider = item(tool, "volumeSlider");
            compare(slider.from, top.minimumPosition);
            compare(slider.to, 1);
            compare(slider.zeroMark, top.zeroMarkPosition);
        }
    }
}
