import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// The show's output paths with their devices on this machine: New Path,
// Edit, Delete and Close, and the path tool. The controller sets the model,
// the device list with the devices' ids, and a notice about the device file;
// it reads the selected row and the tool's chosen entry. The title bar only
// hides the window. The window's contents are built the first time it shows;
// until then the properties below keep what is set, and the contents take it
// up when they come and keep the properties up to date from then on.
Window {
    id: root

    property var model: null
    property int currentIndex: -1
    property bool showOutputPathTool: false
    property list<string> deviceList: ["Speaker 1", "Speaker 2"]
    // The id of each entry of deviceList ("" for the default device).
    property list<string> deviceIds: [""]
    property int pathDeviceIndex: -1
    property string notice: ""

    readonly property list<string> columnTitles: ["Name", "Output Device"]
    readonly property int rowHeight: 30
    readonly property int leftSpacer: 10

    signal createPathRequest(string pathName, string pathDevice)
    signal changePathRequest(string pathName, string pathDevice)
    signal deleteOutputPath()
    signal closeWindow()

    VandTheme { id: theme }

    title: "Output Paths"
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.WindowCloseButtonHint | Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    width: 600
    height: 600 / 1.618
    color: theme.default_bg_color

    // The window shows one turn of the event loop after it is asked to.
    onVisibilityChanged: if (visibility !== Window.Hidden) contents.active = true

    Loader {
        id: contents
        objectName: "contents"
        anchors.fill: parent
        active: false
        sourceComponent: contentsComponent
    }

    Component {
        id: contentsComponent

        Item {
            id: contentsItem

            readonly property real columnWidth: list.width / 2

            ColumnLayout {
                anchors.fill: parent
                anchors.margins: 15
                spacing: 5

                Row {
                    objectName: "header"
                    Layout.fillWidth: true
                    Layout.preferredHeight: root.rowHeight
                    spacing: 1

                    Rectangle {
                        width: root.leftSpacer
                        height: 20
                        color: "transparent"
                    }
                    Repeater {
                        model: root.columnTitles

                        Label {
                            required property string modelData
                            width: contentsItem.columnWidth
                            height: root.rowHeight
                            verticalAlignment: Text.AlignVCenter
                            text: modelData
                            font.pixelSize: 14
                            color: theme.default_text_header_color
                        }
                    }
                }

                Text {
                    objectName: "notice"
                    Layout.fillWidth: true
                    visible: root.notice !== ""
                    text: root.notice
                    wrapMode: Text.WordWrap
                    font: theme.default_font
                    color: theme.light_text_color
                }

                ListView {
                    id: list
                    objectName: "pathList"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    flickableDirection: Flickable.VerticalFlick
                    boundsBehavior: Flickable.StopAtBounds
                    headerPositioning: ListView.OverlayHeader
                    model: root.model
                    currentIndex: -1
                    highlightFollowsCurrentItem: false

                    Component.onCompleted: list.currentIndex = root.currentIndex
                    onCurrentIndexChanged: root.currentIndex = list.currentIndex

                    Connections {
                        target: root
                        function onCurrentIndexChanged() {
                            list.currentIndex = root.currentIndex;
                        }
                    }

                    Rectangle {
                        anchors.fill: parent
                        z: -1
                        color: Qt.lighter(theme.default_bg_color, 1.25)
                    }

                    highlight: Rectangle {
                        objectName: "highlight"
                        width: list.width
                        height: root.rowHeight
                        y: list.currentItem ? list.currentItem.y : 0
                        visible: list.currentItem !== null
                        color: theme.default_selected_color

                        Behavior on y {
                            SmoothedAnimation { duration: 250 }
                        }
                    }

                    delegate: Item {
                        id: row

                        required property int index
                        required property string path_name
                        required property string path_device_name
                        readonly property bool current: ListView.isCurrentItem

                        width: ListView.view.width
                        height: root.rowHeight

                        Row {
                            anchors.fill: parent

                            Item {
                                width: root.leftSpacer
                                height: parent.height
                            }
                            Text {
                                objectName: "pathName"
                                width: contentsItem.columnWidth
                                height: parent.height
                                text: row.path_name
                                elide: Text.ElideRight
                                verticalAlignment: Text.AlignVCenter
                                font: theme.default_font
                                color: row.current ? "white" : theme.default_text_color
                            }
                            Text {
                                objectName: "pathDeviceName"
                                width: contentsItem.columnWidth - root.leftSpacer
                                height: parent.height
                                text: row.path_device_name
                                elide: Text.ElideRight
                                verticalAlignment: Text.AlignVCenter
                                font: theme.default_font
                                color: row.current ? "white" : theme.default_text_color
                            }
                        }

                        // Either button selects the row; there is no context menu.
                        MouseArea {
                            objectName: "rowArea"
                            anchors.fill: parent
                            hoverEnabled: true
                            acceptedButtons: Qt.LeftButton | Qt.RightButton
                            onClicked: list.currentIndex = row.index
                        }
                    }

                    ScrollBar.vertical: ScrollBar {
                        id: scrollBar
                        policy: ScrollBar.AlwaysOn
                        width: 20
                        minimumSize: list.height > 0 ? Math.min(1, 100 / list.height) : 0

                        background: Rectangle {
                            color: Qt.lighter(theme.default_bg_color, 0.7)
                        }
                        contentItem: Item {
                            implicitWidth: 20
                            implicitHeight: 100

                            Rectangle {
                                anchors.horizontalCenter: parent.horizontalCenter
                                width: 6
                                height: parent.height
                                color: scrollBar.hovered ? theme.default_bg_color : Qt.lighter(theme.default_bg_color, 0.90)

                                BasicBevel {}
                            }
                        }
                    }
                }

                Text {
                    objectName: "explanation"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 100
                    verticalAlignment: Text.AlignVCenter
                    wrapMode: Text.WordWrap
                    font: theme.small_font
                    color: theme.default_text_color
                    text: "Output paths are used to name a location on the stage where a sound should be played.\nYou can then map that location to a physical speaker specific to the machine you run it on.\nThe named location will be available everywhere, but the output device must be selected on\neach machine you run.\nThat way, you can practice at different locations and still hear your music and sound effects."
                }

                RowLayout {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredHeight: 30
                    spacing: 10

                    FlatButton {
                        objectName: "newPathButton"
                        text: "New Path"
                        onClicked: {
                            pathTool.pathName = "";
                            pathTool.pathDeviceIndex = 0;
                            pathTool.isEdit = false;
                            pathTool.visible = true;
                            root.showOutputPathTool = true;
                        }
                    }
                    FlatButton {
                        objectName: "editButton"
                        text: "Edit"
                        enabled: root.currentIndex !== -1
                        onClicked: {
                            pathTool.pathName = root.model.PathName(root.currentIndex);
                            // By id: a device not on this machine selects nothing.
                            pathTool.pathDeviceIndex = root.deviceIds.indexOf(root.model.PathDeviceId(root.currentIndex));
                            pathTool.isEdit = true;
                            pathTool.visible = true;
                            root.showOutputPathTool = true;
                        }
                    }
                    FlatButton {
                        objectName: "deleteButton"
                        text: "Delete"
                        enabled: root.currentIndex !== -1
                        onClicked: root.deleteOutputPath()
                    }
                    FlatButton {
                        objectName: "closeButton"
                        text: "Close"
                        onClicked: root.closeWindow()
                    }
                }
            }

            OutputPathTool {
                id: pathTool
                objectName: "pathTool"
                visible: false
                deviceList: root.deviceList

                Component.onCompleted: {
                    if (root.pathDeviceIndex >= 0)
                        pathTool.pathDeviceIndex = root.pathDeviceIndex;
                    else
                        root.pathDeviceIndex = pathTool.pathDeviceIndex;
                    pathTool.visible = root.showOutputPathTool;
                }
                onPathDeviceIndexChanged: root.pathDeviceIndex = pathTool.pathDeviceIndex
                onVisibleChanged: root.showOutputPathTool = pathTool.visible

                Connections {
                    target: root
                    function onPathDeviceIndexChanged() {
                        pathTool.pathDeviceIndex = root.pathDeviceIndex;
                    }
                    function onShowOutputPathToolChanged() {
                        pathTool.visible = root.showOutputPathTool;
                    }
                }
                onCreatePathRequest: (pathName, pathDevice) => root.createPathRequest(pathName, pathDevice)
                onChangePathRequest: (pathName, pathDevice) => root.changePathRequest(pathName, pathDevice)
            }
        }
    }
}
