import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui
import "../SfxValues.js" as SfxValues

// "Custom Audio Parameters": the user's own audio file (or, with
// `usesCustomAudioFile` false, one of the library's effects), the command
// (0 "Play", 1 "Stop"), volume, fades and looping. OK sends them as
// `updateCustomAudioEntry` (the volume as a linear gain, the fades in
// milliseconds) and closes; OK waits for a file while one is asked for.
// Name, output path, pan and reverb are kept but not shown. The dialog keeps
// its values when it closes; the host drops it on `toolClosing()`.
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
    // The chosen file's local path as shown, and its URL.
    property alias filename: fileInput.value
    property alias fileUrl: fileInput.fileUrl
    // Position on the volume taper.
    property alias volume: volumeSlider.value
    property alias reverb: reverbSlider.value
    property alias pan: panSlider.value
    // Seconds, as typed.
    property alias fadeIn: fadeInInput.text
    property alias fadeOut: fadeOutInput.text
    property alias commandIndex: commandInput.currentIndex
    property alias loop: loopBox.checked
    // The name follows the chosen effect until the user types one (or a host
    // writes one).
    property bool isNameDirty: false
    property bool usesCustomAudioFile: true
    property int prefColumnWidth: 200

    signal updateCustomAudioEntry(url fileUrl, int commandIndex, real volume, real pan, int fadeIn, int fadeOut,
                                  bool loop)
    signal toolClosing()

    // Chooses the output path whose id is the text; none when no path has it.
    function setOutputPathIndexFromName(name: string) {
        outputPathInput.currentIndex = outputPathInput.comboControl.indexOfValue(name);
    }

    title: qsTr("Custom Audio Parameters")
    width: mainColumn.implicitWidth + 50
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal

    onVisibleChanged: if (visible) mainColumn.forceActiveFocus()
    onWindowClosing: internal.closed()
    Component.onCompleted: internal.followEffect()

    QtObject {
        id: internal

        // OK needs a chosen file while the dialog asks for one: the URL it
        // announces names a local file, not the file control's folder.
        readonly property bool canAccept: !root.usesCustomAudioFile || internal.namesAFile(fileInput.fileUrl)

        // The effect's name as last written into the name field.
        property string followedText: ""

        function namesAFile(fileUrl: url): bool {
            const text = String(fileUrl);
            return text.startsWith("file:") && !text.endsWith("/");
        }

        // A name the host wrote stays as well as one the user typed.
        function followEffect() {
            if (root.isNameDirty || (nameInput.text !== "" && nameInput.text !== internal.followedText))
                return;
            internal.followedText = effectInput.displayText;
            nameInput.text = effectInput.displayText;
        }

        function accept() {
            if (!internal.canAccept)
                return;
            const fadeIn = SfxValues.fadeMilliseconds(fadeInInput.text);
            const fadeOut = SfxValues.fadeMilliseconds(fadeOutInput.text);
            const gain = SfxValues.linearGain(volumeSlider.value);
            root.updateCustomAudioEntry(fileInput.fileUrl, commandInput.currentIndex, gain, panSlider.value,
                                        fadeIn, fadeOut, loopBox.checked);
            internal.dismiss();
        }

        function dismiss() {
            root.visible = false;
            internal.closed();
        }

        function closed() {
            root.isNameDirty = false;
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
        Keys.onEscapePressed: internal.dismiss()

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
                visible: false
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            RecessedTextInput {
                id: nameInput
                objectName: "nameInput"
                textColor: root.theme.light_text_color
                visible: false
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
            }

            Text {
                text: qsTr("Source File")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                Layout.topMargin: 5
                Layout.bottomMargin: 2
            }
            CustomComboBox {
                id: effectInput
                objectName: "effectInput"
                textRole: "displayname"
                valueRole: "sfxid"
                visible: !root.usesCustomAudioFile
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
                Layout.topMargin: 5
                Layout.bottomMargin: 2
                onEnterPressed: internal.accept()
            }
            FileInputControl {
                id: fileInput
                objectName: "fileInput"
                visible: root.usesCustomAudioFile
                spacing: 15
                nameFilters: [qsTr("WAV Files (*.wav)"), qsTr("All files (*)")]
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
                Layout.topMargin: 5
            }

            Text {
                text: qsTr("Command")
                font: root.theme.default_font
                color: root.theme.default_text_color
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                Layout.bottomMargin: 2
            }
            CustomComboBox {
                id: commandInput
                objectName: "commandInput"
                model: [{ "displayName": qsTr("Play"), "commandIndex": 0 },
                        { "displayName": qsTr("Stop"), "commandIndex": 1 }]
                textRole: "displayName"
                valueRole: "commandIndex"
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
                visible: false
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
            }
            VandCustomSlider {
                id: panSlider
                objectName: "panSlider"
                from: 0
                to: 100
                value: 50
                zeroMark: 50
                visible: false
                Layout.preferredWidth: root.prefColumnWidth
                Layout.alignment: Qt.AlignLeft
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
            okButton.enabled: internal.canAccept
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 5
            onOkayClicked: internal.accept()
            onCancelClicked: internal.dismiss()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            value: root.eventId
            visible: !root.usesCustomAudioFile
            Layout.fillWidth: true
        }
    }
}
