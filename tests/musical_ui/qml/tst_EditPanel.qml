import QtQuick
import QtTest
import com.tarnwick.musical_ui

// The edit panel and its parts: the toolbar's buttons and first states, the
// tool relays, the mixer tab and the OSC switch, the version label, and the
// lists' gestures (row clicks, double clicks, the state icon, the passed
// marker's shading).
Item {
    id: top
    width: 1366
    height: 500

    Component {
        id: panelComponent
        EditPanel {
            width: 1366
            height: 500
        }
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "EditPanel"
        when: windowShown

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, {target: target, signalName: signalName});
        }

        function makePanel(properties) {
            const panel = createTemporaryObject(panelComponent, top, properties || {});
            verify(panel);
            waitForRendering(panel);
            return panel;
        }

        function part(parent, name) {
            const found = findChild(parent, name);
            verify(found, "no " + name);
            return found;
        }

        function clickButton(bar, name) {
            const button = part(part(bar, name), "innerButton");
            mouseClick(button);
        }

        function fillMarkers(panel) {
            const model = Qt.createQmlObject("import QtQuick; ListModel {}", panel);
            model.append({name: "Intro", location: "1:1"});
            model.append({name: "Letter A", location: "5:1"});
            model.append({name: "Letter B", location: "9:1"});
            panel.markerListControl.model = model;
            waitForRendering(panel);
        }

        function fillEvents(panel) {
            const model = Qt.createQmlObject("import QtQuick; ListModel {}", panel);
            model.append({"in": "1:1", "out": "-", "type": "OSC", "count": "/cue/1/go"});
            model.append({"in": "5:1", "out": "7:1", "type": "Repeat", "count": "2x"});
            panel.eventListControl.model = model;
            waitForRendering(panel);
        }

        function rowArea(list, row, areaName) {
            const delegate = part(list, rowPrefix(list) + row);
            return part(delegate, areaName);
        }

        function rowPrefix(list) {
            return list.objectName === "markerList" ? "markerRow" : list.objectName === "eventList" ? "eventRow"
                                                                                                    : "songRow";
        }

        function test_toolbarStartsWithTheLogButtonsOff_data() {
            return [
                {tag: "Caesura", name: "edit_caesura", enabled: true},
                {tag: "Click", name: "edit_click", enabled: true},
                {tag: "Cut", name: "edit_cut", enabled: true},
                {tag: "Marker", name: "edit_marker", enabled: true},
                {tag: "Repeat", name: "edit_repeat", enabled: true},
                {tag: "Skip", name: "edit_skip", enabled: true},
                {tag: "Tempo", name: "edit_tempo", enabled: true},
                {tag: "Transpose", name: "edit_transpose", enabled: true},
                {tag: "Vamp", name: "edit_vamp", enabled: true},
                {tag: "OSC", name: "edit_osc", enabled: true},
                {tag: "Edit", name: "edit_edit", enabled: false},
                {tag: "Delete", name: "edit_delete", enabled: false},
                {tag: "Undo", name: "undo", enabled: false},
                {tag: "Redo", name: "redo", enabled: false},
                {tag: "Save", name: "edit_save", enabled: false},
                {tag: "Share", name: "edit_share", enabled: false},
            ];
        }

        function test_toolbarStartsWithTheLogButtonsOff(data) {
            const panel = makePanel();
            compare(part(panel.editBarControl, data.name).enabled, data.enabled);
        }

        function test_toolbarButtonsRaiseTheirSignals_data() {
            return [
                {tag: "Caesura", name: "edit_caesura", signal: "caesuraButton"},
                {tag: "Click", name: "edit_click", signal: "clickButton"},
                {tag: "Cut", name: "edit_cut", signal: "cutButton"},
                {tag: "Marker", name: "edit_marker", signal: "markerButton"},
                {tag: "Repeat", name: "edit_repeat", signal: "repeatButton"},
                {tag: "Skip", name: "edit_skip", signal: "skipButton"},
                {tag: "Tempo", name: "edit_tempo", signal: "tempoScaleButton"},
                {tag: "Transpose", name: "edit_transpose", signal: "transposeButton"},
                {tag: "Vamp", name: "edit_vamp", signal: "vampButton"},
                {tag: "OSC", name: "edit_osc", signal: "oscButton"},
                {tag: "Edit", name: "edit_edit", signal: "editButton"},
                {tag: "Delete", name: "edit_delete", signal: "deleteButton"},
                {tag: "Undo", name: "undo", signal: "undoButton"},
                {tag: "Redo", name: "redo", signal: "redoButton"},
                {tag: "Save", name: "edit_save", signal: "saveButton"},
                {tag: "Share", name: "edit_share", signal: "shareButton"},
            ];
        }

        function test_toolbarButtonsRaiseTheirSignals(data) {
            const panel = makePanel();
            const bar = panel.editBarControl;
            for (const name of ["edit_edit", "edit_delete", "undo", "redo", "edit_save", "edit_share"])
                part(bar, name).enabled = true;
            const raised = spy(bar, data.signal);
            clickButton(bar, data.name);
            compare(raised.count, 1);
        }

        function test_toolRelays_data() {
            return [
                {tag: "caesura", from: "caesuraButton", to: "caesuraButtonPressed"},
                {tag: "cut", from: "cutButton", to: "cutButtonPressed"},
                {tag: "marker", from: "markerButton", to: "markerButtonPressed"},
                {tag: "skip", from: "skipButton", to: "skipButtonPressed"},
                {tag: "vamp", from: "vampButton", to: "vampButtonPressed"},
                {tag: "osc", from: "oscButton", to: "oscButtonPressed"},
                {tag: "transpose", from: "transposeButton", to: "transposeButtonPressed"},
                {tag: "repeat", from: "repeatButton", to: "repeatButtonPressed"},
                {tag: "click", from: "clickButton", to: "clickButtonPressed"},
                {tag: "tempo scale", from: "tempoScaleButton", to: "tempoButtonPressed"},
            ];
        }

        function test_toolRelays(data) {
            const panel = makePanel();
            const relayed = spy(panel, data.to);
            const others = spy(panel, data.to === "cutButtonPressed" ? "caesuraButtonPressed" : "cutButtonPressed");
            panel.editBarControl[data.from]();
            compare(relayed.count, 1);
            compare(others.count, 0);
        }

        function test_oscSwitch_data() {
            return [
                {tag: "on", osc: true, tip: "Create an OSC command"},
                {tag: "off", osc: false, tip: "Unavailable in Dravel"},
            ];
        }

        function test_oscSwitch(data) {
            const panel = makePanel({oscEnable: data.osc});
            const button = part(panel.editBarControl, "edit_osc");
            compare(button.enabled, data.osc);
            compare(button.toolTip.text, data.tip);
            compare(panel.eventListControl.enableOsc, data.osc);
        }

        function test_mixerTab_data() {
            return [
                {tag: "without the mixer", mixer: false, index: 0},
                {tag: "with the mixer", mixer: true, index: 1},
            ];
        }

        function test_mixerTab(data) {
            const panel = makePanel({showMixer: data.mixer});
            compare(part(panel, "mixerTab").visible, data.mixer);
            compare(part(panel, "markerStack").currentIndex, data.index);
            compare(panel.markerListControl.visible, !data.mixer);
            compare(panel.mixerControl.visible, data.mixer);
        }

        function test_versionLabel() {
            const panel = makePanel();
            compare(part(panel, "logVersionLabel").text, "Log v0.0");
            panel.logVersionText = "Log v1.1";
            compare(part(panel, "logVersionLabel").text, "Log v1.1");
        }

        // A click on a row that is not current: itemClicked (relayed as
        // markerSelected with the row) between two row reports.
        function test_markerRowClick() {
            const panel = makePanel();
            fillMarkers(panel);
            const list = panel.markerListControl;
            list.currentIndex = -1;
            const order = [];
            const onSelected = function(index) { order.push("selected " + index); };
            const onRow = function(index) { order.push("row " + index); };
            panel.markerSelected.connect(onSelected);
            list.currentItemChanged.connect(onRow);
            mouseClick(rowArea(list, 1, "markerRowArea"));
            compare(order, ["row 1", "selected 1", "row 1"]);

            order.length = 0;
            mouseClick(rowArea(list, 1, "markerRowArea"));
            compare(order, ["selected 1", "row 1"], "the current row again");
            panel.markerSelected.disconnect(onSelected);
            list.currentItemChanged.disconnect(onRow);
        }

        function test_markerRowDoubleClick() {
            const panel = makePanel();
            fillMarkers(panel);
            const edits = spy(panel, "editSelectedMarkerItem");
            mouseDoubleClickSequence(rowArea(panel.markerListControl, 2, "markerRowArea"));
            compare(edits.count, 1);
        }

        function test_passedMarkerShading_data() {
            return [
                {tag: "passed row", current: -1, row: 1, shaded: true},
                {tag: "passed and current row", current: 1, row: 1, shaded: false},
                {tag: "another row", current: -1, row: 2, shaded: false},
            ];
        }

        function test_passedMarkerShading(data) {
            const panel = makePanel();
            fillMarkers(panel);
            const list = panel.markerListControl;
            list.passedIndex = 1;
            list.currentIndex = data.current;
            const shade = part(part(list, "markerRow" + data.row), "passedShade");
            verify(Qt.colorEqual(shade.color, "transparent") !== data.shaded);
        }

        function test_songStateIcon_data() {
            return [
                {tag: "plays", status: "plays", icon: "check.svg", tip: "Play song when cued"},
                {tag: "continue", status: "continue", icon: "down.svg", tip: "Auto-play next song (attacca)"},
                {tag: "skip", status: "x", icon: "x.svg", tip: "Skip song"},
                {tag: "no state", status: "", icon: "check.svg", tip: "Play song when cued"},
            ];
        }

        // The icon shows the state; a click on it reports the song and leaves
        // the current row alone.
        function test_songStateIcon(data) {
            const panel = makePanel();
            const model = Qt.createQmlObject("import QtQuick; ListModel {}", panel);
            model.append({song_number: "1", song_name: "Overture", status: "plays"});
            model.append({song_number: "12", song_name: "Waltz", status: data.status});
            const list = panel.songListControl;
            list.model = model;
            list.currentIndex = 0;
            waitForRendering(panel);
            const row = part(list, "songRow1");
            const icon = part(row, "stateIcon");
            verify(String(icon.source).endsWith(data.icon), String(icon.source));
            compare(part(row, "stateToolTip").text, data.tip);

            const steps = spy(list, "attaccaStateChanged");
            const clicks = spy(list, "itemClicked");
            mouseClick(part(row, "stateArea"));
            compare(steps.count, 1);
            compare(steps.signalArguments[0][0], "12");
            compare(clicks.count, 0);
            compare(list.currentIndex, 0);

            mouseClick(part(row, "songName"));
            compare(clicks.count, 1);
            compare(clicks.signalArguments[0][0], 1);
            compare(list.currentIndex, 1);
        }

        function test_eventRowGestures_data() {
            return [
                {tag: "OSC row, OSC on", osc: true, row: 0, edits: 1},
                {tag: "OSC row, OSC off", osc: false, row: 0, edits: 0},
                {tag: "repeat row, OSC off", osc: false, row: 1, edits: 1},
            ];
        }

        function test_eventRowGestures(data) {
            const panel = makePanel({oscEnable: data.osc});
            fillEvents(panel);
            const list = panel.eventListControl;
            list.currentIndex = -1;
            const rows = spy(list, "currentItemChanged");
            const edits = spy(list, "editSelectedItem");
            mouseClick(rowArea(list, data.row, "eventRowArea"));
            compare(rows.count, 2, "a row that was not current reports twice");
            compare(list.currentIndex, data.row);
            mouseDoubleClickSequence(rowArea(list, data.row, "eventRowArea"));
            compare(edits.count, data.edits);
        }

        function test_eventIcons_data() {
            return [
                {tag: "Caesura", type: "Caesura", icon: "qrc:/images/caesura.svg"},
                {tag: "Click", type: "Click", icon: "qrc:/images/click_event.svg"},
                {tag: "Cut", type: "Cut", icon: "qrc:/images/cut.svg"},
                {tag: "Fermata", type: "Fermata", icon: "qrc:/images/fermata_event.svg"},
                {tag: "Skip", type: "Skip", icon: "qrc:/images/fermata_event.svg"},
                {tag: "Repeat", type: "Repeat", icon: "qrc:/images/repeat_event.svg"},
                {tag: "Tempo", type: "Tempo", icon: "qrc:/images/tempo_event.svg"},
                {tag: "TempoScale", type: "TempoScale", icon: "qrc:/images/tempo_event.svg"},
                {tag: "Vamp", type: "Vamp", icon: "qrc:/images/vamp_event.svg"},
                {tag: "Transpose", type: "Transpose", icon: "qrc:/images/transpose_event.svg"},
                {tag: "Sfx", type: "Sfx", icon: "qrc:/images/sfx.svg"},
                {tag: "Ambient Sfx", type: "Ambient Sfx", icon: "qrc:/images/ambient_audio_event.svg"},
                {tag: "OSC", type: "OSC", icon: "qrc:/images/lan.svg"},
                {tag: "unknown", type: "Marker", icon: ""},
            ];
        }

        // Every icon of the table is one of the application's images.
        function test_eventIcons(data) {
            const panel = makePanel();
            compare(panel.eventListControl.getSourceImage(data.type), data.icon);
            if (data.icon !== "") {
                const image = Qt.createQmlObject("import QtQuick; Image {}", panel);
                image.source = data.icon;
                compare(image.status, Image.Ready);
            }
        }
    }
}
