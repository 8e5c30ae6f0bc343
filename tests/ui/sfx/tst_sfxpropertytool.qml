import QtQuick
import QtTest
import com.tarnwick.vand_ui

// The custom audio parameters dialog.
Item {
    id: top
    width: 400
    height: 300

    readonly property url chosenFile: "file:///tmp/My%20Sounds/bell.wav"

    ListModel {
        id: effects
        ListElement { displayname: "Thunder"; sfxid: "fx.thunder" }
        ListElement { displayname: "Rain"; sfxid: "fx.rain" }
    }

    ListModel {
        id: paths
        ListElement { path_name: "Stage left"; path_id: "5b0e61c1-5d5c-4bb3-a0a4-0c2d1f0e9a11" }
        ListElement { path_name: "Stage right"; path_id: "9f4c2a3e-7c1d-4e8b-9a6f-3d2e1c0b4a22" }
    }

    Component {
        id: toolComponent
        SfxPropertyTool {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "SfxPropertyTool"
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

        function chooseFile(tool) {
            item(tool, "fileInput").chooseFile(top.chosenFile);
            compare(tool.filename, "/tmp/My Sounds/bell.wav");
        }

        function test_fades_data() {
            return [
                { tag: "1.5", text: "1.5", ms: 1500 },
                { tag: "2s", text: "2s", ms: 2000 },
                { tag: "empty", text: "", ms: 0 },
                { tag: "letters", text: "abc", ms: 0 },
                // The record's fades are unsigned: -1000 would wrap.
                { tag: "-1", text: "-1", ms: 0 },
                { tag: "0.0004", text: "0.0004", ms: 0 },
            ];
        }

        function test_fades(data) {
            const tool = makeTool();
            show(tool);
            chooseFile(tool);
            tool.fadeIn = data.text;
            tool.fadeOut = data.text;
            const updates = spy(tool, "updateCustomAudioEntry");
            mouseClick(item(tool, "okButton"));
            compare(updates.count, 1);
            compare(updates.signalArguments[0][4], data.ms);
            compare(updates.signalArguments[0][5], data.ms);
        }

        function test_announced_values_data() {
            return [
                { tag: "defaults", command: 0, position: 0.7866278611, loop: false, gain: 0.50118 },
                { tag: "Stop, top, loop", command: 1, position: 1, loop: true, gain: 1 },
                { tag: "bottom", command: 0, position: 0.04076220398, loop: false, gain: 0.0001 },
            ];
        }

        function test_announced_values(data) {
            const tool = makeTool();
            show(tool);
            chooseFile(tool);
            tool.commandIndex = data.command;
            tool.volume = data.position;
            tool.loop = data.loop;
            const updates = spy(tool, "updateCustomAudioEntry");
            keyClick(Qt.Key_Return);
            compare(updates.count, 1);
            const args = updates.signalArguments[0];
            compare(String(args[0]), String(top.chosenFile));
            compare(args[1], data.command);
            fuzzyCompare(args[2], data.gain, 0.00001);
            compare(args[3], 50);
            compare(args[6], data.loop);
        }

        function test_command_combo() {
            const tool = makeTool();
            const combo = item(tool, "commandInput");
            compare(combo.count, 2);
            compare(combo.displayText, "Play");
            tool.commandIndex = 1;
            compare(combo.displayText, "Stop");
            compare(combo.currentValue, 1);
        }

        // Without a file, OK would announce the file control's folder.
        function test_ok_waits_for_a_file_data() {
            return [
                { tag: "OK button", how: "button" },
                { tag: "Return", how: "return" },
            ];
        }

        function test_ok_waits_for_a_file(data) {
            const tool = makeTool();
            show(tool);
            const okButton = item(tool, "okButton");
            const updates = spy(tool, "updateCustomAudioEntry");
            const closings = spy(tool, "toolClosing");
            verify(!okButton.enabled);
            if (data.how === "button")
                mouseClick(okButton);
            else
                keyClick(Qt.Key_Return);
            compare(updates.count, 0);
            compare(closings.count, 0);
            verify(tool.visible);

            chooseFile(tool);
            verify(okButton.enabled);
            if (data.how === "button")
                mouseClick(okButton);
            else
                keyClick(Qt.Key_Return);
            compare(updates.count, 1);
            compare(closings.count, 1);
        }

        // OK goes by the URL it announces, not by the path on show: a path
        // written without a URL would announce the file control's folder.
        function test_ok_goes_by_the_file_url_data() {
            return [
                { tag: "path shown, no file chosen", filename: "/tmp/bell.wav", fileUrl: "", accepted: false },
                { tag: "URL set, no path shown", filename: "", fileUrl: "file:///tmp/bell.wav", accepted: true },
                { tag: "URL of a folder", filename: "/tmp/", fileUrl: "file:///tmp/", accepted: false },
                { tag: "URL that is no local file", filename: "", fileUrl: "qrc:/sounds/bell.wav", accepted: false },
            ];
        }

        function test_ok_goes_by_the_file_url(data) {
            const tool = makeTool();
            show(tool);
            if (data.filename !== "")
                tool.filename = data.filename;
            if (data.fileUrl !== "")
                tool.fileUrl = data.fileUrl;
            const updates = spy(tool, "updateCustomAudioEntry");
            compare(item(tool, "okButton").enabled, data.accepted);
            keyClick(Qt.Key_Return);
            compare(updates.count, data.accepted ? 1 : 0);
            if (data.accepted)
                compare(String(updates.signalArguments[0][0]), data.fileUrl);
        }

        function test_ok_without_a_file_for_a_library_effect() {
            const tool = makeTool({ usesCustomAudioFile: false, effectModel: effects });
            show(tool);
            verify(item(tool, "okButton").enabled);
            const updates = spy(tool, "updateCustomAudioEntry");
            mouseClick(item(tool, "okButton"));
            compare(updates.count, 1);
        }

        function test_update_before_closing() {
            const tool = makeTool({ effectModel: effects });
            show(tool);
            chooseFile(tool);
            tool.isNameDirty = true;
            const log = [];
            tool.updateCustomAudioEntry.connect(() => log.push("update"));
            tool.toolClosing.connect(() => log.push("closing"));
            mouseClick(item(tool, "okButton"));
            compare(log, ["update", "closing"]);
            verify(!tool.visible);
            verify(!tool.isNameDirty);
            // The dialog keeps its values.
            compare(tool.filename, "/tmp/My Sounds/bell.wav");
        }

        function test_cancel_and_close_data() {
            return [
                { tag: "Cancel", how: "cancel" },
                { tag: "Escape", how: "escape" },
                { tag: "title bar", how: "close" },
            ];
        }

        function test_cancel_and_close(data) {
            const tool = makeTool();
            show(tool);
            chooseFile(tool);
            tool.isNameDirty = true;
            const updates = spy(tool, "updateCustomAudioEntry");
            const closings = spy(tool, "toolClosing");
            if (data.how === "cancel")
                mouseClick(item(tool, "cancelButton"));
            else if (data.how === "escape")
                keyClick(Qt.Key_Escape);
            else
                tool.close();
            compare(updates.count, 0);
            compare(closings.count, 1);
            verify(!tool.visible);
            verify(!tool.isNameDirty);
        }

        function test_source_control_data() {
            return [
                { tag: "custom file", custom: true },
                { tag: "library effect", custom: false },
            ];
        }

        function test_source_control(data) {
            const tool = makeTool({ usesCustomAudioFile: data.custom, effectModel: effects, eventId: "sfx.7" });
            show(tool);
            compare(item(tool, "fileInput").visible, data.custom);
            compare(item(tool, "effectInput").visible, !data.custom);
            compare(item(tool, "eventIdLabel").visible, !data.custom);
            for (const name of ["nameInput", "outputPathInput", "panSlider", "reverbSlider"])
                verify(!item(tool, name).visible, name);
            for (const name of ["commandInput", "volumeSlider", "fadeInInput", "fadeOutInput", "loopBox"])
                verify(item(tool, name).visible, name);
            compare(tool.name, "Thunder");
            tool.effectIdIndex = 1;
            compare(tool.name, "Rain");
            compare(tool.effectId, "fx.rain");
        }

        function test_setOutputPathIndexFromName_data() {
            return [
                { tag: "known", id: "9f4c2a3e-7c1d-4e8b-9a6f-3d2e1c0b4a22", index: 1 },
                { tag: "unknown", id: "not a path", index: -1 },
            ];
        }

        function test_setOutputPathIndexFromName(data) {
            const tool = makeTool({ outputPathsModel: paths });
            tool.outputPathIndex = 0;
            tool.setOutputPathIndexFromName(data.id);
            compare(tool.outputPathIndex, data.index);
        }

        function test_defaults() {
            const tool = makeTool();
            compare(tool.title, "Custom Audio Parameters");
            verify(tool.usesCustomAudioFile);
            compare(tool.prefColumnWidth, 200);
            compare(tool.volume, 0.7866278611);
            compare(tool.pan, 50);
            compare(tool.reverb, 50);
            compare(tool.commandIndex, 0);
            verify(!tool.loop);
            compare(tool.filename, "");
            compare(tool.fadeIn, "");
            compare(tool.minimumHeight, tool.maximumHeight);
            compare(tool.height, item(tool, "mainColumn").implicitHeight + 50);
        }
    }
}
