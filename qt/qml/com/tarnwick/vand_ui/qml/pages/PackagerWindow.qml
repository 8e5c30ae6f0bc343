import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Qt.labs.settings
import com.tarnwick.vand_ui

// Main window of the show-packaging tool: names a show, picks the folders a
// show package and a sound-effects package are built from, and starts either
// packaging through `controller` (an object of the packaging tool, given by
// whoever creates the page); the controller's report is shown in a popup.
// The fields, the switch, the file list and the window's place and size are
// kept in the settings store (`settingsFileName`, or the application's
// default store when empty).
ApplicationWindow {
    id: root

    // The packaging controller: name, the folders, advancedFeatures, files,
    // message, messageBody, versionString(), package(), packageSfx().
    property var controller: null
    property string settingsFileName: ""
    readonly property string displayName: qsTr("Show Packager")

    property alias theme: theme
    property alias files: fileList.value
    property alias showName: showNameInput.value
    property alias sourceDirectory: sourceInput.value
    property alias destinationDirectory: destinationInput.value
    property alias imageDirectory: imageInput.value
    property alias soundEffectsDirectory: soundEffectsInput.value
    property alias advancedFeatures: packageControl.toggled
    property alias sfxSourceDirectory: sfxSourceInput.value
    property alias sfxDestinationDirectory: sfxDestinationInput.value

    // A body that mentions a warning or an error, in any letter case, is a
    // problem report.
    function reportHeading(body) {
        return /warning|error/i.test(body) ? qsTr("Problems Encountered") : qsTr("Packaging Complete");
    }

    function showReport() {
        if (!controller || !controller.message)
            return;
        report.detailedText = controller.messageBody;
        report.informativeText = reportHeading(controller.messageBody);
        report.open();
    }

    function confirmReport() {
        report.close();
        if (controller) {
            controller.message = false;
            controller.messageBody = "";
        }
    }

    width: 720
    height: 625
    visible: true
    color: theme.default_bg_color
    title: displayName + " " + (controller ? controller.versionString() : "")

    Component.onCompleted: showNameInput.field.forceActiveFocus()

    VandTheme { id: theme }

    Binding { target: root.controller; when: root.controller !== null; property: "name"; value: root.showName }
    Binding { target: root.controller; when: root.controller !== null; property: "sourceDirectory"; value: root.sourceDirectory }
    Binding { target: root.controller; when: root.controller !== null; property: "destinationDirectory"; value: root.destinationDirectory }
    Binding { target: root.controller; when: root.controller !== null; property: "imageDirectory"; value: root.imageDirectory }
    Binding { target: root.controller; when: root.controller !== null; property: "soundEffectsDirectory"; value: root.soundEffectsDirectory }
    Binding { target: root.controller; when: root.controller !== null; property: "advancedFeatures"; value: root.advancedFeatures }
    Binding { target: root.controller; when: root.controller !== null; property: "sfxSourceDirectory"; value: root.sfxSourceDirectory }
    Binding { target: root.controller; when: root.controller !== null; property: "sfxDestinationDirectory"; value: root.sfxDestinationDirectory }

    Connections {
        target: root.controller
        function onFilesChanged() { root.files = root.controller.files; }
        function onMessageChanged() { root.showReport(); }
    }

    Settings {
        fileName: root.settingsFileName
        category: "appearance"
        property alias x: root.x
        property alias y: root.y
        property alias height: root.height
        property alias width: root.width
    }

    Settings {
        fileName: root.settingsFileName
        category: "show"
        property alias showName: root.showName
        property alias sourceDirectory: root.sourceDirectory
        property alias destinationDirectory: root.destinationDirectory
        property alias imageDirectory: root.imageDirectory
        property alias soundEffectsDirectory: root.soundEffectsDirectory
        property alias advancedFeatures: root.advancedFeatures
        property alias sfxSourceDirectory: root.sfxSourceDirectory
        property alias sfxDestinationDirectory: root.sfxDestinationDirectory
        property alias files: root.files
    }

    Settings {
        fileName: root.settingsFileName
        category: "sfx"
        property alias sfxSourceDirectory: root.sfxSourceDirectory
        property alias sfxDestinationDirectory: root.sfxDestinationDirectory
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 16

        TabBar {
            id: tabBar
            objectName: "tabBar"
            Layout.fillWidth: true
            spacing: 0
            background: Rectangle { color: theme.default_bg_color }

            // Out of the Tab chain, so that Tab on the "Show" page runs round
            // its own fields only.
            ModeTabButton { objectName: "showTab"; text: qsTr("Show"); font: theme.default_font; focusPolicy: Qt.ClickFocus }
            ModeTabButton { objectName: "sfxTab"; text: qsTr("SFX"); font: theme.default_font; focusPolicy: Qt.ClickFocus }
        }

        StackLayout {
            currentIndex: tabBar.currentIndex
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 15

            ColumnLayout {
                objectName: "showPage"
                spacing: 10

                // Tab and Shift+Tab run round the page's fields, choosers,
                // "Package" and the switch, in this order (each takes the keys
                // itself); anywhere else on the page they do nothing.
                Keys.onTabPressed: (event) => event.accepted = true
                Keys.onBacktabPressed: (event) => event.accepted = true

                TextInputControl {
                    id: showNameInput
                    objectName: "showNameInput"
                    text: qsTr("Show Name")
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: sourceInput
                    objectName: "sourceInput"
                    text: qsTr("Source Directory")
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: destinationInput
                    objectName: "destinationInput"
                    text: qsTr("Destination Directory")
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: imageInput
                    objectName: "imageInput"
                    text: qsTr("Image Directory")
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: soundEffectsInput
                    objectName: "soundEffectsInput"
                    text: qsTr("Sound Effects Directory")
                    Layout.fillWidth: true
                }
                FileDisplay {
                    id: fileList
                    objectName: "fileList"
                    text: qsTr("MIDI Files")
                    value: []
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                }
                PackageControl {
                    id: packageControl
                    objectName: "packageControl"
                    toggleText: qsTr("Package with Advanced Features")
                    buttonText: qsTr("Package")
                    fontSize: 16
                    Layout.fillWidth: true
                    onClicked: if (root.controller) root.controller.package()
                }
            }

            ColumnLayout {
                objectName: "sfxPage"
                spacing: 10

                FileInputControl {
                    objectName: "csvInput"
                    text: qsTr("CSV File to Convert to Manifest")
                    nameFilters: [qsTr("CSV Files (*.csv)"), qsTr("All files (*)")]
                    visible: false
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: sfxSourceInput
                    objectName: "sfxSourceInput"
                    text: qsTr("SFX Source Directory (oggs)")
                    Layout.fillWidth: true
                }
                DirectoryInputControl {
                    id: sfxDestinationInput
                    objectName: "sfxDestinationInput"
                    text: qsTr("SFX Destination Directory")
                    Layout.fillWidth: true
                }
                FlatButton {
                    objectName: "packageSfxButton"
                    text: qsTr("Package SFX")
                    Layout.preferredWidth: 80
                    onClicked: if (root.controller) root.controller.packageSfx()
                }
                Item {
                    Layout.fillHeight: true
                }
            }
        }
    }

    Popup {
        id: report
        objectName: "report"

        property alias informativeText: heading.text
        property alias detailedText: detail.text

        parent: T.Overlay.overlay
        width: detail.text !== "" ? 640 : 400
        height: detail.text !== "" ? 480 : 100
        x: (root.width - width) / 2
        y: (root.height - height) / 2
        modal: true
        focus: true
        padding: 15

        T.Overlay.modal: Rectangle { color: "#88000000" }

        background: Rectangle { color: theme.default_bg_color }

        contentItem: ColumnLayout {
            spacing: 10

            TextEdit {
                id: heading
                objectName: "heading"
                readOnly: true
                color: theme.default_text_color
                wrapMode: TextEdit.WordWrap
                font.pixelSize: 14
                font.bold: true
                Layout.fillWidth: true
            }

            Rectangle {
                objectName: "detailBox"
                color: Qt.lighter(theme.default_bg_color, 1.25)
                visible: detail.text !== ""
                Layout.fillWidth: true
                Layout.fillHeight: true

                ScrollView {
                    anchors.fill: parent

                    TextArea {
                        id: detail
                        objectName: "detail"
                        readOnly: true
                        color: theme.default_text_header_color
                        font.pixelSize: 14
                        wrapMode: TextEdit.WordWrap
                        background: null
                    }
                }
            }

            RowLayout {
                spacing: 10
                Layout.fillWidth: true

                FlatButton {
                    objectName: "copyButton"
                    text: qsTr("Copy to Clipboard")
                    visible: detail.text !== ""
                    onClicked: {
                        detail.selectAll();
                        detail.copy();
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
                FlatButton {
                    objectName: "reportOkButton"
                    text: qsTr("OK")
                    isDefault: true
                    onClicked: root.confirmReport()
                }
            }
        }
    }
}
