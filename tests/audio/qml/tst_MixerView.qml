import QtQuick
import QtTest
import com.tarnwick.vand_ui
import com.tarnwick.musical_ui
import MixerTest

// The mixer's views over the fixture mixer (groups "Strings" and "Brass",
// track ids unlike their rows), and its parts alone. The host gives them the
// theme they read.
Item {
    id: top
    width: 900
    height: 900

    VandTheme { id: theme }

    Component {
        id: viewComponent
        MixerView {
            width: 880
            height: 880
        }
    }

    Component {
        id: trackComponent
        MixerTrack {
            width: 700
            instrumentModel: ListModel {
                ListElement { displayname: "Acoustic"; value: 10 }
                ListElement { displayname: "Electric"; value: 40 }
            }
        }
    }

    Component {
        id: groupComponent
        MixerSectionInstruments {
            width: 700
            title: "Loose group"
        }
    }

    Component {
        id: buttonComponent
        OutlineButton {
            x: 20
            y: 20
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        name: "MixerView"
        when: windowShown

        function child(item, name) {
            const found = findChild(item, name);
            verify(found, "no child named " + name);
            return found;
        }

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, top, { target: target, signalName: signalName });
        }

        function makeView(properties) {
            const view = createTemporaryObject(viewComponent, top, properties || {});
            verify(view !== null);
            return view;
        }

        // A view over a fixture mixer (a new one unless given), laid out.
        function makeMixerView(given) {
            const mixer = given || MixerFixture.makeMixer();
            const view = makeView({ mixerModel: mixer });
            const groups = child(view, "groupsRepeater");
            tryCompare(groups, "count", 2);
            waitForItemPolished(child(view, "mixerColumn"));
            for (let g = 0; g < groups.count; ++g) {
                const tracks = child(groups.itemAt(g), "tracksRepeater");
                waitForItemPolished(child(groups.itemAt(g), "headingLayout"));
                for (let t = 0; t < tracks.count; ++t)
                    waitForItemPolished(child(tracks.itemAt(t), "trackLayout"));
            }
            return { view: view, mixer: mixer, groups: groups };
        }

        function group(setup, index) {
            return setup.groups.itemAt(index);
        }

        function track(setup, groupIndex, row) {
            return child(group(setup, groupIndex), "tracksRepeater").itemAt(row);
        }

        // What the user's move does: a new value, then moved().
        function moveTo(slider, value) {
            slider.value = value;
            slider.moved();
        }

        function signalValues(signalSpy, argument) {
            const values = [];
            for (let i = 0; i < signalSpy.count; ++i)
                values.push(signalSpy.signalArguments[i][argument]);
            return values;
        }

        function test_generalSection_data() {
            return [
                { tag: "neither row: no title bar", tempo: false, transpose: false, click: true, title: "" },
                { tag: "transpose alone: titled", tempo: false, transpose: true, click: true,
                  title: "General Settings" },
                { tag: "tempo alone: titled", tempo: true, transpose: false, click: true, title: "General Settings" },
                { tag: "both", tempo: true, transpose: true, click: true, title: "General Settings" },
                { tag: "no click volume: Reset Mixer stays", tempo: false, transpose: false, click: false, title: "" },
            ];
        }

        function test_generalSection(data) {
            const view = makeView({ showTempoScale: data.tempo, showTranspose: data.transpose,
                                    showClickVolume: data.click });
            const general = child(view, "generalSection");
            compare(general.title, data.title);
            compare(child(general, "titleBar").visible, data.title !== "");
            compare(child(general, "titleText").text, data.title);
            verify(child(view, "resetMixerButton").visible);
            compare(child(view, "clickVolumeSlider").visible, data.click);
            compare(child(view, "clickVolumeLabel").visible, data.click);
            compare(child(view, "clickVolumeText").visible, data.click);
            compare(child(view, "tempoScaleSlider").visible, data.tempo);
            compare(child(view, "tempoScaleText").visible, data.tempo);
            compare(child(view, "transposeSlider").visible, data.transpose);
            compare(child(view, "transposeText").visible, data.transpose);
            // Without a model there is no group.
            compare(child(view, "groupsRepeater").count, 0);
            compare(child(view, "tempoScaleText").text, "+0%");
            compare(child(view, "transposeText").text, "+0");
        }

        // Dragging the click volume to an end announces its level in dB.
        function test_clickVolumeEnds_data() {
            return [
                { tag: "bottom at -15 dB", min: -15, toRight: false, level: -15, text: "-15.0 dB" },
                { tag: "bottom at -30 dB", min: -30, toRight: false, level: -30, text: "-30.0 dB" },
                { tag: "top", min: -15, toRight: true, level: 0, text: "0.0 dB" },
            ];
        }

        function test_clickVolumeEnds(data) {
            const view = makeView({ minClickVolumeDB: data.min });
            const slider = child(view, "clickVolumeSlider");
            waitForItemPolished(child(view, "generalGrid"));
            fuzzyCompare(slider.from, Math.exp(data.min / 25), 1e-12);
            const announced = spy(view, "clickVolumeSet");
            if (data.toRight)
                view.clickVolumeControlValueScaledDb = slider.from;
            const handle = slider.handle;
            const y = slider.height / 2;
            mousePress(slider, handle.x + handle.width / 2, y);
            mouseMove(slider, data.toRight ? slider.width + 40 : -40, y);
            mouseRelease(slider, data.toRight ? slider.width + 40 : -40, y);
            verify(announced.count > 0);
            fuzzyCompare(announced.signalArguments[announced.count - 1][0], data.level, 1e-9);
            compare(child(view, "clickVolumeText").text, data.text);
        }

        // A view that is not shown builds nothing; what was set meanwhile
        // reaches the panel when it first shows.
        function test_hiddenViewIsBuiltWhenFirstShown() {
            const mixer = MixerFixture.makeMixer();
            const view = makeView({ visible: false });
            compare(findChild(view, "mixerContents"), null);
            view.mixerModel = mixer;
            view.clickVolumeControlValueScaledDb = Math.exp(-6 / 25);
            view.visible = true;
            verify(child(view, "mixerContents") !== null);
            compare(child(view, "groupsRepeater").count, 2);
            compare(child(view, "clickVolumeText").text, "-6.0 dB");
            const built = child(view, "mixerContents");
            view.visible = false;
            view.visible = true;
            compare(child(view, "mixerContents"), built);
        }

        // A controller's write moves the control without an announcement.
        function test_clickVolumeWrittenByAController() {
            const view = makeView();
            const announced = spy(view, "clickVolumeSet");
            compare(view.clickVolumeControlValueScaledDb, 1.0);
            view.clickVolumeControlValueScaledDb = Math.exp(-12 / 25);
            compare(child(view, "clickVolumeText").text, "-12.0 dB");
            compare(announced.count, 0);
        }

        // Each move ends on a value; a value is announced when it differs
        // from the one announced last. Moves of the tempo scale within 2 of
        // 0 snap to 0 first; the transposition snaps only at 0.
        function test_tempoAndTransposeAnnouncements_data() {
            return [
                { tag: "tempo: one move", slider: "tempoScaleSlider", signal: "tempoScaleSet", moves: [10],
                  announced: [10], text: "+10%", prev: 10 },
                { tag: "tempo: away and back", slider: "tempoScaleSlider", signal: "tempoScaleSet",
                  moves: [10, 5, 10], announced: [10, 5, 10], text: "+10%", prev: 10 },
                { tag: "tempo: ends on the value announced last", slider: "tempoScaleSlider",
                  signal: "tempoScaleSet", moves: [10, 10], announced: [10], text: "+10%", prev: 10 },
                { tag: "tempo: a cut", slider: "tempoScaleSlider", signal: "tempoScaleSet", moves: [-12],
                  announced: [-12], text: "-12%", prev: -12 },
                { tag: "tempo: first move snaps back to the start", slider: "tempoScaleSlider",
                  signal: "tempoScaleSet", moves: [2], announced: [], text: "+0%", prev: 0 },
                { tag: "tempo: snapping to 0 after a cut", slider: "tempoScaleSlider", signal: "tempoScaleSet",
                  moves: [-12, -2], announced: [-12, 0], text: "+0%", prev: 0 },
                { tag: "transpose: first move to +1", slider: "transposeSlider", signal: "transposeSet", moves: [1],
                  announced: [1], text: "+1", prev: 1 },
                { tag: "transpose: away and back", slider: "transposeSlider", signal: "transposeSet",
                  moves: [3, -2, 3], announced: [3, -2, 3], text: "+3", prev: 3 },
                { tag: "transpose: ends on the value announced last", slider: "transposeSlider",
                  signal: "transposeSet", moves: [-6, -6], announced: [-6], text: "-6", prev: -6 },
                { tag: "transpose: back to the start", slider: "transposeSlider", signal: "transposeSet",
                  moves: [0], announced: [], text: "+0", prev: 0 },
            ];
        }

        function test_tempoAndTransposeAnnouncements(data) {
            const view = makeView({ showTempoScale: true, showTranspose: true });
            const slider = child(view, data.slider);
            const announced = spy(view, data.signal);
            for (const value of data.moves)
                moveTo(slider, value);
            compare(signalValues(announced, 0), data.announced);
            const tempo = data.slider === "tempoScaleSlider";
            compare(child(view, tempo ? "tempoScaleText" : "transposeText").text, data.text);
            compare(tempo ? view.prevTempoScale : view.prevTranspose, data.prev);
        }

        // Dragging moves the tempo scale in whole percent.
        function test_tempoDragGivesWholeSteps() {
            const view = makeView({ showTempoScale: true });
            const slider = child(view, "tempoScaleSlider");
            waitForItemPolished(child(view, "generalGrid"));
            const announced = spy(view, "tempoScaleSet");
            const y = slider.height / 2;
            mousePress(slider, slider.handle.x + slider.handle.width / 2, y);
            mouseMove(slider, slider.width * 0.83, y);
            mouseRelease(slider, slider.width * 0.83, y);
            verify(announced.count > 0);
            const last = announced.signalArguments[announced.count - 1][0];
            verify(last > 20, String(last));
            compare(last, Math.round(last));
        }

        function test_resetMixerIsAnnouncedOnEveryClick() {
            const view = makeView({ showClickVolume: false });
            const resets = spy(view, "resetMixerClicked");
            const button = child(view, "resetMixerButton");
            waitForItemPolished(child(view, "generalGrid"));
            mouseClick(button);
            mouseClick(button);
            compare(resets.count, 2);
        }

        // The group model's rows become groups, and each group's tracks model
        // (carried by the "tracksModel" role) becomes its rows; building them
        // asks for nothing.
        function test_groupsAndTracksAppear() {
            const mixer = MixerFixture.makeMixer();
            const strings = MixerFixture.tracksOf(mixer, 0);
            const requests = ["instrumentTrackRequested", "muteTrackRequested", "panTrackRequested",
                              "soloTrackRequested", "volumeTrackRequested"].map(name => spy(strings, name));
            const setup = makeMixerView(mixer);

            const first = group(setup, 0);
            compare(first.title, "Strings");
            compare(first.toolTipText, "Violins, violas and cellos");
            compare(first.isMuted, false);
            compare(first.isSolo, true);
            compare(group(setup, 1).title, "Brass");
            compare(group(setup, 1).isMuted, true);
            compare(child(first, "tracksRepeater").count, 3);
            compare(child(group(setup, 1), "tracksRepeater").count, 2);

            const violin = track(setup, 0, 0);
            compare(violin.name, "Violin 1");
            compare(violin.isMuted, true);
            compare(violin.isSolo, false);
            compare(child(violin, "volumeSlider").value, 1.0);
            compare(child(violin, "panDial").value, -0.5);
            const combo = child(violin, "instrumentCombo");
            compare(combo.count, 4);
            compare(combo.currentIndex, 2);
            compare(combo.displayText, "Sampled Strings");
            verify(track(setup, 1, 0).isSolo);
            for (const request of requests)
                compare(request.count, 0, request.signalName);
        }

        // A button of a group or track writes the negation of its state into
        // the model; it shows the state the model then reports.
        function test_buttonsWriteTheNegation_data() {
            return [
                { tag: "group M", group: 1, row: -1, button: "groupMuteButton", request: "muteSectionRequested",
                  target: 1, value: false },
                { tag: "group S", group: 0, row: -1, button: "groupSoloButton", request: "soloSectionRequested",
                  target: 0, value: false },
                { tag: "track M", group: 0, row: 1, button: "muteButton", request: "muteTrackRequested",
                  target: 12, value: true },
                { tag: "track S", group: 1, row: 0, button: "soloButton", request: "soloTrackRequested",
                  target: 21, value: false },
            ];
        }

        function test_buttonsWriteTheNegation(data) {
            const setup = makeMixerView();
            const owner = data.row < 0 ? group(setup, data.group) : track(setup, data.group, data.row);
            const model = data.row < 0 ? setup.mixer : MixerFixture.tracksOf(setup.mixer, data.group);
            const requested = spy(model, data.request);
            const button = child(owner, data.button);
            compare(button.checked, !data.value);
            mouseClick(button);
            compare(requested.count, 1);
            compare(requested.signalArguments[0][0], data.target);
            compare(requested.signalArguments[0][1], data.value);
            compare(button.checked, data.value);
            mouseClick(button);
            compare(requested.count, 2);
            compare(requested.signalArguments[1][1], !data.value);
            compare(button.checked, !data.value);
        }

        // Alone, a click only reports: the state waits for its owner.
        function test_buttonsDoNotChangeTheirOwnState_data() {
            return [
                { tag: "track M", component: trackComponent, button: "muteButton", signal: "muteClicked",
                  state: "isMuted" },
                { tag: "track S", component: trackComponent, button: "soloButton", signal: "soloClicked",
                  state: "isSolo" },
                { tag: "group M", component: groupComponent, button: "groupMuteButton", signal: "muteClicked",
                  state: "isMuted" },
                { tag: "group S", component: groupComponent, button: "groupSoloButton", signal: "soloClicked",
                  state: "isSolo" },
            ];
        }

        function test_buttonsDoNotChangeTheirOwnState(data) {
            const owner = createTemporaryObject(data.component, top, { y: 20 });
            verify(owner);
            const clicks = spy(owner, data.signal);
            const button = child(owner, data.button);
            waitForItemPolished(owner);
            mouseClick(button);
            compare(clicks.count, 1);
            compare(owner[data.state], false);
            compare(button.checked, false);
        }

        // The pan dial and the volume slider write their positions; the
        // volume request carries the gain.
        function test_panAndVolumeWriteTheModel_data() {
            return [
                { tag: "pan", control: "panDial", moveTo: 0.5, role: "pan", request: "panTrackRequested",
                  sent: 0.5, stored: 0.5 },
                { tag: "pan snaps to the centre", control: "panDial", moveTo: 0.04, role: "pan",
                  request: "panTrackRequested", sent: 0, stored: 0 },
                { tag: "volume at -6 dB", control: "volumeSlider", moveTo: 0.7866278611, role: "volumeScaledDb",
                  request: "volumeTrackRequested", sent: 0.501187, stored: 0.7866278611 },
                { tag: "volume at the top", control: "volumeSlider", moveTo: 1.0, role: "volumeScaledDb",
                  request: "volumeTrackRequested", sent: 1.0, stored: 1.0 },
            ];
        }

        function test_panAndVolumeWriteTheModel(data) {
            const setup = makeMixerView();
            const tracks = MixerFixture.tracksOf(setup.mixer, 1);
            const requested = spy(tracks, data.request);
            const row = track(setup, 1, 1);
            const control = child(row, data.control);
            moveTo(control, data.moveTo);
            compare(requested.count, 1);
            compare(requested.signalArguments[0][0], 22);
            fuzzyCompare(requested.signalArguments[0][1], data.sent, 1e-5);
            fuzzyCompare(row[data.role], data.stored, 1e-6);
            fuzzyCompare(control.value, data.stored, 1e-6);
        }

        // A controller's later write reaches a control the user has moved.
        function test_moveThenModelWrite() {
            const setup = makeMixerView();
            const row = track(setup, 1, 1);
            const slider = child(row, "volumeSlider");
            moveTo(slider, 0.77); // snaps to the zero mark by script
            fuzzyCompare(slider.value, 0.7866278611, 1e-9);
            row.volumeScaledDb = 0.25;
            fuzzyCompare(slider.value, 0.25, 1e-9);
        }

        function openChoices(combo) {
            mouseClick(combo);
            tryVerify(() => combo.choices.opened);
            const list = combo.choices.contentItem;
            tryVerify(() => list.count === combo.count);
            list.forceLayout();
            return list;
        }

        // One pick by the user, one request; the selection that the view
        // makes writes nothing.
        function test_instrumentPick_data() {
            return [
                { tag: "mouse, another entry", row: 3, keys: false, value: 40 },
                { tag: "mouse, the current entry", row: 2, keys: false, value: 30 },
                { tag: "Return on another entry", row: 1, keys: true, value: 20 },
            ];
        }

        function test_instrumentPick(data) {
            const setup = makeMixerView();
            const tracks = MixerFixture.tracksOf(setup.mixer, 0);
            const requested = spy(tracks, "instrumentTrackRequested");
            const combo = child(track(setup, 0, 0), "instrumentCombo");
            compare(combo.currentIndex, 2);
            const list = openChoices(combo);
            if (data.keys) {
                keyClick(Qt.Key_Up);
                keyClick(Qt.Key_Return);
            } else {
                mouseClick(list.itemAtIndex(data.row));
            }
            tryVerify(() => !combo.choices.visible);
            compare(requested.count, 1);
            compare(requested.signalArguments[0][0], 11);
            compare(requested.signalArguments[0][1], data.value);
            compare(combo.currentValue, data.value);
        }

        // New choices from the controller select the row's instrument among
        // them and ask for nothing.
        function test_newInstrumentChoicesWriteNothing_data() {
            return [
                { tag: "instrument among the new choices", names: ["Solo Violin", "Sampled Strings"],
                  values: [5, 30], index: 1 },
                { tag: "instrument not among them", names: ["Solo Violin", "Celesta"], values: [5, 6], index: -1 },
            ];
        }

        function test_newInstrumentChoicesWriteNothing(data) {
            const setup = makeMixerView();
            const tracks = MixerFixture.tracksOf(setup.mixer, 0);
            const requested = spy(tracks, "instrumentTrackRequested");
            verify(MixerFixture.replaceInstruments(setup.mixer, 0, 0, data.names, data.values));
            const combo = child(track(setup, 0, 0), "instrumentCombo");
            compare(combo.count, data.names.length);
            compare(combo.currentIndex, data.index);
            compare(requested.count, 0);
        }

        // The outline button's looks by state, and what a click and the
        // pointer do to it.
        function test_outlineButton_data() {
            const uncheckedFill = theme.default_bg_color;
            return [
                { tag: "unchecked", enabled: true, checked: false, border: "#333333", fill: uncheckedFill,
                  font: "gray", clicks: 1, lights: true },
                { tag: "checked", enabled: true, checked: true, border: "#26a5de", fill: Qt.darker("#26a5de", 4),
                  font: "#26a5de", clicks: 1, lights: true },
                { tag: "disabled", enabled: false, checked: true, border: "#333333", fill: "#333333",
                  font: "dimgray", clicks: 0, lights: false },
            ];
        }

        function test_outlineButton(data) {
            const button = createTemporaryObject(buttonComponent, top,
                                                 { enabled: data.enabled, checked: data.checked,
                                                   toolTipText: "Mute Track" });
            verify(button);
            const clicks = spy(button, "clicked");
            const label = child(button, "label");
            verify(Qt.colorEqual(button.border.color, data.border), String(button.border.color));
            verify(Qt.colorEqual(button.color, data.fill), String(button.color));
            verify(Qt.colorEqual(label.color, data.font), String(label.color));

            mouseMove(button, button.width / 2, button.height / 2);
            compare(button.hovered, data.lights);
            const lit = data.lights ? Qt.lighter(data.fill, 1.25) : data.fill;
            verify(Qt.colorEqual(button.color, lit), String(button.color));
            if (data.lights)
                tryVerify(() => child(button, "toolTip").visible);
            else
                verify(!child(button, "toolTip").visible);
            mouseClick(button);
            compare(clicks.count, data.clicks);
            compare(button.checked, data.checked);
            mouseMove(top, top.width - 1, top.height - 1);
            compare(button.hovered, false);
        }

        function test_outlineButtonSize() {
            const square = createTemporaryObject(buttonComponent, top, { text: "M" });
            compare(square.width, square.height);
            const wide = createTemporaryObject(buttonComponent, top, { text: "Mute", makeSquare: false });
            verify(wide.width > wide.height);
            compare(wide.height, child(wide, "label").implicitHeight + 4);
        }

        // A group's checked M is filled with its colour and lettered in the
        // theme's background.
        function test_groupButtonLooks() {
            const setup = makeMixerView();
            const solo = child(group(setup, 0), "groupSoloButton");
            verify(solo.checked);
            verify(Qt.colorEqual(solo.color, "#D3AF37"), String(solo.color));
            verify(Qt.colorEqual(child(solo, "label").color, theme.default_bg_color));
            const trackSolo = child(track(setup, 1, 0), "soloButton");
            verify(trackSolo.checked);
            verify(Qt.colorEqual(trackSolo.color, Qt.darker("#D3AF37", 4)), String(trackSolo.color));
            verify(Qt.colorEqual(child(trackSolo, "label").color, "#D3AF37"));
        }

        // Tool tips: a track name's only when it is cut short, a group
        // title's only when the group has one.
        function test_toolTips_data() {
            return [
                { tag: "long track name", group: 0, row: 2, text: "trackName", tip: "nameToolTip", shown: true },
                { tag: "short track name", group: 0, row: 0, text: "trackName", tip: "nameToolTip", shown: false },
                { tag: "group with a tool tip", group: 0, row: -1, text: "titleText", tip: "titleToolTip",
                  shown: true },
                { tag: "group without one", group: 1, row: -1, text: "titleText", tip: "titleToolTip",
                  shown: false },
            ];
        }

        function test_toolTips(data) {
            const setup = makeMixerView();
            const owner = data.row < 0 ? group(setup, data.group) : track(setup, data.group, data.row);
            const text = child(owner, data.text);
            if (data.row >= 0)
                compare(text.truncated, data.shown);
            mouseMove(text, 5, text.height / 2);
            const tip = child(owner, data.tip);
            if (data.shown) {
                tryVerify(() => tip.visible);
                compare(tip.text, data.row < 0 ? "Violins, violas and cellos"
                                                : "Cellos and Double Basses, divisi in three parts (desks 1 to 4)");
            } else {
                wait(0);
                verify(!tip.visible);
            }
            mouseMove(top, top.width - 1, top.height - 1);
        }

        // The headings line up with the track rows' columns.
        function test_headingsLineUpWithTheRows() {
            const setup = makeMixerView();
            const first = group(setup, 0);
            const row = track(setup, 0, 0);
            const columns = [child(row, "stateButtons"), child(row, "trackName"), child(row, "instrumentCombo"),
                             child(row, "panDial"), child(row, "volumeSlider")];
            for (let i = 0; i < columns.length; ++i) {
                const heading = child(first, "heading" + i);
                fuzzyCompare(heading.mapToItem(first, 0, 0).x, columns[i].mapToItem(first, 0, 0).x, 0.5);
                fuzzyCompare(heading.width, columns[i].width, 0.5);
            }
            compare(child(first, "heading1").text, "Track Name");
            // The name and instrument columns share the room alike, the
            // volume column takes less of it.
            fuzzyCompare(columns[1].width, columns[2].width, 0.5);
            verify(columns[4].width - 80 < columns[2].width - 100);
        }

        // A new set of groups replaces the old rows while the view shows them.
        function test_resetWhileShown() {
            const setup = makeMixerView();
            moveTo(child(track(setup, 0, 0), "panDial"), 0.75);
            MixerFixture.reset(setup.mixer);
            tryCompare(setup.groups, "count", 2);
            tryVerify(() => track(setup, 0, 0) !== null);
            compare(child(track(setup, 0, 0), "panDial").value, -0.5);
            compare(child(group(setup, 0), "tracksRepeater").count, 3);
        }
    }
}
