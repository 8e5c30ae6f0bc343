import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The "Event Log Manager": the local and the server change-log versions side
// by side. At most one row of the two lists is selected; "Load Selected"
// reports it with the list it belongs to. The controller sets the models.
Window {
    id: root

    property alias localModel: localList.model
    property alias serverModel: serverList.model

    signal loadSelectedLocal(int index)
    signal loadSelectedServer(int index)

    VandTheme { id: theme }

    visible: false
    width: 650
    height: 400
    minimumWidth: 500
    minimumHeight: 300
    title: "Event Log Manager"
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color

    ColumnLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 15

        function listWithFocusChanged(isLocal: bool) {
            if (isLocal)
                serverList.index = -1;
            else
                localList.index = -1;
        }

        RowLayout {
            Layout.alignment: Qt.AlignLeft
            Layout.fillWidth: true
            Layout.fillHeight: true

            ChangelogList {
                id: localList
                objectName: "localList"
                Layout.alignment: Qt.AlignLeft | Qt.AlignTop
                Layout.fillHeight: true
                Layout.fillWidth: true
                title: "Local Logs"
                isLocal: true
                onListHasFocus: content.listWithFocusChanged(true)
            }

            ChangelogList {
                id: serverList
                objectName: "serverList"
                Layout.alignment: Qt.AlignLeft | Qt.AlignTop
                Layout.fillHeight: true
                Layout.fillWidth: true
                title: "Server Logs"
                isLocal: false
                onListHasFocus: content.listWithFocusChanged(false)
            }
        }

        FlatButton {
            objectName: "loadSelectedButton"
            Layout.alignment: Qt.AlignHCenter
            text: "Load Selected"
            font.pixelSize: 14
            enabled: localList.isSelected() || serverList.isSelected()
            onClicked: {
                if (localList.isSelected())
                    root.loadSelectedLocal(localList.index);
                else if (serverList.isSelected())
                    root.loadSelectedServer(serverList.index);
            }
        }
    }
}
