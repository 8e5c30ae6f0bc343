import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import "SfxValues.js" as SfxValues

// Creates or edits one sound-effect instance: its name, the catalogue effect
// it plays, volume, pan, fades and looping (output path and reverb are kept
// but not shown). OK sends the values as `createRequest` or `changeRequest`
// (by `isEdit`): the volume as a linear gain, the fades in milliseconds,
// repeats -1 for a loop and 0 otherwise. The host fills the two models and
// drops the dialog on `toolClosing()`.
EditTool {
    id: root

    // Rows with the roles path_name and path_id.
    property alias outputPathsModel: outputPathInput.model
    property alias outputPath: outputPathInput.currentValue
    property alias outputPathIndex: outputPathInput.currentIndex
    // Rows with the roles displayname and sfxid.
    property alias effectModel: effectInput.model
    property alias effectId: effectInput.currentValue
    property alias effectIdIndex: effectInput.currentIndex
    property alias effectText: effectInput.displayText
    property alias name: nameInput.text
    // Position on the volume taper.
    property alias volume: volumeSlider.value
    property alias reverb: reverbSlider.value
    property alias pan: panSlider.value
    // Seconds, as typed.
    property alias fadeIn: fadeInInput.text
    property alias fadeOut: fadeOutInput.text
    property alias loop: loopBox.checked
    // The name follows the chosen effect until the user types one (or a host
    // writes one).
    property bool isNameDirty: false
    property int prefColumnWidth: 200

    signal createRequest(string name, string outputPath, int outputPathIndex, string effectId, int effectIdIndex,
                         real volume, real pan, int reverb, int fadeIn, int fadeOut, int repeats)
    signal changeRequest(string name, string outputPath, int outputPathIndex, string effectId, int effectIdIndex,
                         real volume, real pan, int reverb, int fadeIn, int fadeOut, int repeats)
    signal toolClosing()

    // Chooses the output path whose id is the text; none when no path has it.
    function setOutputPathIndexFromName(name: string) {
        outputPathInput.currentIndex = outputPathInput.comboControl.indexOfValue(name);
    }

    title: isEdit ? qsTr("Edit Instance") : qsTr("Create Instance")
    width: mainColumn.implicitWidth + 50
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal

    onVisibleChanged: if (visible) nameInput.forceActiveFocus()
    onWindowClosing: {
        root.isNameDirty = false;
        root.toolClosing();
    }
    Component.onCompleted: internal.followEffect()

    QtObject {
        id: internal

        // The current entry's value as text; empty when none is chosen.
        function comboValue(combo) {
            return combo.currentIndex >= 0 && combo.currentValue !== undefined && combo.currentValue !== null
                    ? String(combo.currentValue) : "";
        }

        // The effect's name as last written into the name field.
        property string followedText: ""

        // A name the host wrote stays as well as one the user typed.
        function followEffect() {
            if (root.isNameDirty || (nameInput.text !== "" && nameInput.text !== internal.followedText))
                return;
            internal.followedText = effectInput.displayText;
            nameInput.text = effectInput.displayText;
        }

        function accept() {
            const fadeIn = SfxValues.fadeMilliseconds(fadeInInput.text);
            const fadeOut = SfxValues.fadeMilliseconds(fadeOutInput.text);
            const gain = SfxValues.linearGain(volumeSlider.value);
            const repeats = loopBox.checked ? -1 : 0;
            const name = nameInput.text;
            const outputPath = comboValue(outputPathInput);
            const effectId = comboValue(effectInput);
            if (root.isEdit)
                root.changeRequest(name, outputPath, outputPathInput.currentIndex, effectId, effectInput.currentIndex,
                                   gain, panSlider.value, reverbSlider.value, fadeIn, fadeOut, repeats);
            else
                root.createRequest(name, outputPath, outputPathInput.currentIndex, effectId, effectInput.currentIndex,
                                   gain, panSlider.value, reverbSlider.value, fadeIn, fadeOut, repeats);
            root.visible = false;
            root.toolClosing();
        }

        function cancel() {
            root.visible = false;
            root.toolClosing();
        }
    }

    Connections {
        target: effectInput
        function onDisplayTextChanged() { internal.followEffect(); }
    }

    ColumnLayout {
        id: mainColumn
        objectName: "mainColumn"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15

        Keys.onReturnPressed: internal.accept()
        Keys.onEscapePressed: internal.cancel()

        GridLayout {
            columns: 2
            columnSpacing: 15
            rowSpacing: 10
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignLeft

            Text {
                text: qsTr("Name")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            RecessedTextInput {
                id: nameInput
                objectName: "nameInput"
                textColor: root.theme.light_text_color
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
                onTextEdited: root.isNameDirty = true
            }

            Text {
                text: qsTr("Output Path")
                font: root.theme.default_font
                color: root.theme.default_text_color
                visible: false
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            CustomComboBox {
                id: outputPathInput
                objectName: "outputPathInput"
                textRole: "path_name"
                valueRole: "path_id"
                visible: false
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
                onEnterPressed: internal.accept()
            }

            Text {
                text: qsTr("Source File")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            CustomComboBox {
                id: effectInput
                objectName: "effectInput"
                textRole: "displayname"
                valueRole: "sfxid"
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
                onEnterPressed: internal.accept()
            }

            Text {
                text: qsTr("Volume")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            VandCustomVolumeSlider {
                id: volumeSlider
                objectName: "volumeSlider"
                value: 0.7866278611
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
            }

            Text {
                text: qsTr("Pan")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            VandCustomSlider {
                id: panSlider
                objectName: "panSlider"
                from: 0
                to: 100
                value: 50
                zeroMark: 50
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft

                VandToolTip {
                    objectName: "panToolTip"
                    host: panSlider
                    delay: 500
                    visible: panSlider.hovered || panSlider.activeFocus
                    text: qsTr("Value: ") + panSlider.value.toFixed(2)
                }
            }

            Text {
                text: qsTr("Reverb")
                font: root.theme.default_font
                color: root.theme.default_text_color
                visible: false
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            VandCustomSlider {
                id: reverbSlider
                objectName: "reverbSlider"
                from: 0
                to: 100
                value: 50
                showZeroMark: false
                visible: false
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
            }

            Text {
                text: qsTr("Fade In (sec)")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            RecessedTextInput {
                id: fadeInInput
                objectName: "fadeInInput"
                textColor: root.theme.light_text_color
                Layout.preferredWidth: root.prefColumnWidth / 2
                Layout.alignment: Qt.AlignLeft
            }

            Text {
                text: qsTr("Fade Out (sec)")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            RecessedTextInput {
                id: fadeOutInput
                objectName: "fadeOutInput"
                textColor: root.theme.light_text_color
                Layout.preferredWidth: root.prefColumnWidth / 2
                Layout.alignment: Qt.AlignLeft
            }

            Item {
                Layout.preferredWidth: 1
                Layout.preferredHeight: 1
            }
            CustomCheckbox {
                id: loopBox
                objectName: "loopBox"
                checkboxTextStr: qsTr("Loop")
                Layout.alignment: Qt.AlignLeft
            }
        }

        StandardEditButtons {
            id: buttons
            objectName: "buttons"
            Layout.alignment: Qt.AlignHCenter
            onOkayClicked: internal.accept()
            onCancelClicked: internal.cancel()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            value: root.eventId
            Layout.fillWidth: true
        }
    }
}
