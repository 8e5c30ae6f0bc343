import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The OSC manager dialog. The controller fills the port text, the check box
// and the destination model, receives okay(), exportQLab(), createNetwork()
// and editNetwork(), and marks what it refuses (`portInvalid`,
// `networkEditInvalidField`). The view does not close itself on OK: the
// controller hides it once the settings are taken.
Window {
    id: root

    property alias oscListenPortString: portField.text
    property alias oscEnabled: enabledBox.checked
    property alias networkModel: networkList.model
    property string defaultQLabLocation: ""
    property bool portInvalid: false
    property alias networkEditInvalidField: networkEditWindow.invalidField
    property alias networkEditor: networkEditWindow

    signal okay()
    signal exportQLab(string exportFolder)
    signal createNetwork(string ip, int port, string mode, string name)
    signal editNetwork(int index, string ip, int port, string mode, string name, string networkId)
    signal deleteButton()

    VandTheme { id: theme }

    title: qsTr("OSC Manager")
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color
    width: 550
    height: column.implicitHeight + 32
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    readonly property bool rowSelected: networkList.currentIndex >= 0 && networkList.currentIndex < networkList.count
    readonly property color panelColor: Qt.lighter(theme.default_bg_color, 1.25)

    onDeleteButton: {
        if (rowSelected)
            networkModel.removeRows(networkList.currentIndex, 1);
    }

    function openNetworkEditor() {
        networkEditWindow.invalidField = "";
        networkEditWindow.show();
        networkEditWindow.requestActivate();
    }

    function newNetwork() {
        networkEditWindow.networkName = "New Network Destination";
        networkEditWindow.ipAddress = "127.0.0.1";
        networkEditWindow.port = 8000;
        networkEditWindow.mode = "udp";
        networkEditWindow.isEdit = false;
        openNetworkEditor();
    }

    function editSelectedNetwork() {
        if (!rowSelected)
            return;
        const row = networkList.currentIndex;
        networkEditWindow.ipAddress = networkModel.dataStr(row, "ipAddress");
        networkEditWindow.port = networkModel.dataStr(row, "port");
        networkEditWindow.mode = networkModel.dataStr(row, "mode");
        networkEditWindow.networkName = networkModel.dataStr(row, "name");
        networkEditWindow.networkId = networkModel.dataStr(row, "networkId");
        networkEditWindow.isEdit = true;
        openNetworkEditor();
    }

    Item {
        id: content
        objectName: "managerContent"
        x: 16
        y: 16
        width: root.width - 32
        height: column.implicitHeight
        focus: true

        Keys.onReturnPressed: root.okay()
        Keys.onEscapePressed: root.close()

        ColumnLayout {
            id: column
            width: parent.width
            spacing: 8

            Text {
                text: qsTr("Application OSC Settings")
                font: theme.heavy_label
                color: theme.light_text_color
                Layout.preferredHeight: 35
                verticalAlignment: Text.AlignVCenter
            }

            Rectangle {
                color: root.panelColor
                Layout.fillWidth: true
                Layout.preferredHeight: settingsColumn.implicitHeight + 32

                ColumnLayout {
                    id: settingsColumn
                    x: 16
                    y: 16
                    width: parent.width - 32
                    spacing: 15

                    CustomCheckbox {
                        id: enabledBox
                        objectName: "oscEnabledCheckbox"
                        checkboxTextStr: qsTr("Allow incoming OSC connections")
                        Layout.preferredHeight: 35
                    }

                    RowLayout {
                        spacing: 8
                        Layout.preferredHeight: 35
                        Text {
                            text: qsTr("OSC Listening Port:")
                            font: theme.default_font
                            color: theme.default_text_color
                        }
                        RecessedTextInput {
                            id: portField
                            objectName: "listenPortField"
                            Layout.preferredWidth: 75
                            backgroundColor: root.portInvalid ? "#7a2e2e" : theme.light_background_color
                            onTextEdited: root.portInvalid = false
                        }
                        Text {
                            text: root.portInvalid ? qsTr("(UDP) Enter a port from 1 to 65535.") : qsTr("(UDP)")
                            objectName: "portHint"
                            font: theme.default_font
                            color: root.portInvalid ? theme.light_text_color : theme.default_text_color
                        }
                    }

                    RowLayout {
                        spacing: 8
                        Layout.preferredHeight: 35
                        Text {
                            text: qsTr("Export QLab OSC Patch File")
                            font: theme.default_font
                            color: theme.default_text_color
                        }
                        FlatButton {
                            id: exportButton
                            objectName: "exportButton"
                            text: qsTr("Export")
                            onClicked: {
                                folderDialog.currentFolder = root.defaultQLabLocation;
                                folderDialog.open();
                            }
                        }
                    }
                }
            }

            Text {
                text: qsTr("Network Paths")
                font: theme.heavy_label
                color: theme.light_text_color
                Layout.preferredHeight: 35
                verticalAlignment: Text.AlignVCenter
            }

            Rectangle {
                color: root.panelColor
                clip: true
                Layout.fillWidth: true
                Layout.preferredHeight: networkColumn.implicitHeight + 32

                ColumnLayout {
                    id: networkColumn
                    x: 16
                    y: 16
                    width: parent.width - 32
                    spacing: 15

                    CustomTwoColumnListView {
                        id: networkList
                        objectName: "networkList"
                        rowHeight: 35
                        currentIndex: -1
                        // A new model selects its first row; the dialog opens with none.
                        onModelChanged: currentIndex = -1
                        Layout.fillWidth: true
                        Layout.preferredHeight: 200
                    }

                    RowLayout {
                        spacing: 8
                        Layout.alignment: Qt.AlignHCenter
                        FlatButton {
                            objectName: "newNetworkButton"
                            text: qsTr("New Network")
                            onClicked: root.newNetwork()
                        }
                        FlatButton {
                            objectName: "editNetworkButton"
                            text: qsTr("Edit")
                            enabled: root.rowSelected
                            onClicked: root.editSelectedNetwork()
                        }
                        FlatButton {
                            objectName: "deleteNetworkButton"
                            text: qsTr("Delete")
                            enabled: root.rowSelected
                            onClicked: root.deleteButton()
                        }
                    }
                }
            }

            StandardEditButtons {
                objectName: "managerButtons"
                Layout.fillWidth: true
                Layout.preferredHeight: 35
                onOkayClicked: root.okay()
                onCancelClicked: root.close()
            }
        }
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        title: qsTr("Export QLab OSC Patch File")
        onAccepted: root.exportQLab(String(selectedFolder))
    }

    NetworkEditWindow {
        id: networkEditWindow
        objectName: "networkEditWindow"
        transientParent: root
        visible: false
        onCreateRequest: (ip, port, mode, name) => root.createNetwork(ip, port, mode, name)
        onChangeRequest: (ip, port, mode, networkName, networkId) =>
            root.editNetwork(networkList.currentIndex, ip, port, mode, networkName, networkId)
    }
}
