pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import Qt5Compat.GraphicalEffects
import com.tarnwick.vand_ui
import "Support.js" as Support

// The application menu inside the main window: an icon that opens File, Edit,
// Player, View, Tools and Help. Every entry and shortcut raises one of the
// item's signals; the menu also hosts the About box.
Item {
    id: root

    property url imageSource: "qrc:/images/responsive_menu"
    property size imageSize: Qt.size(20, 20)
    property color imageColor: "#D3D3D3"
    // The window the Quit entry closes.
    property var rootWindow: parent
    property alias aboutWindow: about
    property bool canUndo: false
    property bool canRedo: false
    property bool canDelete: true
    property bool canSave: false
    property bool canShare: false
    property string appName: "Application"
    property bool showAudioManager: false
    property bool oscEnabled: true
    // Platform whose shortcut rule applies; tests set it.
    property string platformName: Qt.platform.os

    signal audioManagerClicked()
    signal midiCommandsClicked()
    signal oscManagerClicked()
    signal aboutClicked()
    signal changelogManagerOpened()
    signal jumpToBarStart()
    signal getLatestLogClicked()
    signal saveClicked()
    signal shareClicked()
    signal playPause()
    signal stop()
    signal continuePlay()
    signal previousMarker()
    signal nextMarker()
    signal previousBar()
    signal nextBar()
    signal outputPaths()
    signal zoomIn()
    signal zoomOut()
    signal selectAll()
    signal deleteSelected()
    signal undo()
    signal redo()

    width: 20
    height: 20

    // "Cmd" means the platform's command key: it stays on macOS and becomes
    // Ctrl everywhere else.
    function convertShortCutForPlatform(shortcut) {
        const platform = String(platformName).toLowerCase();
        if (platform === "osx" || platform === "macos")
            return shortcut;
        return String(shortcut).replace(/cmd/gi, "Ctrl");
    }

    readonly property string supportCenterUrl: Support.supportCenterUrl

    Image {
        id: icon
        objectName: "icon"
        asynchronous: true
        anchors.fill: parent
        source: root.imageSource
        sourceSize.width: root.imageSize.width * 2
        sourceSize.height: root.imageSize.height * 2
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
        visible: false
    }

    ColorOverlay {
        objectName: "iconOverlay"
        anchors.fill: icon
        source: icon
        color: iconArea.containsMouse ? Qt.lighter(root.imageColor, 1.65) : root.imageColor
    }

    MouseArea {
        id: iconArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.openMenu()
    }

    // The menu's popups are built the first time it opens; the entries'
    // actions live here from the start, so their shortcuts work before.
    function openMenu() {
        root.buildMenu().open();
    }

    // The menu's popups, built the first time they are asked for. A bound
    // component keeps its creation context only through createObject (Qt
    // 6.4's Loader gives it another).
    property VandCustomMenu builtMenu: null
    function buildMenu() {
        if (!root.builtMenu)
            root.builtMenu = mainMenuComponent.createObject(root) as VandCustomMenu;
        return root.builtMenu;
    }

    // Adds the actions to a submenu in order; null stands for a separator.
    function fillMenu(menu, entries) {
        for (const entry of entries) {
            if (entry)
                menu.addAction(entry);
            else
                menu.addItem(separatorComponent.createObject(menu));
        }
    }

    Action {
        objectName: "deleteKeyAction"
        text: "Not on Menu, Delete Key"
        shortcut: "Delete"
        enabled: root.canDelete
        onTriggered: root.deleteSelected()
    }

    // File
    Action {
        id: downloadLatestLogAction
        text: "Download Latest Log"
        onTriggered: root.getLatestLogClicked()
    }
    Action {
        id: viewPastLogsAction
        text: "View Past Logs..."
        onTriggered: root.changelogManagerOpened()
    }
    Action {
        id: saveEditsAction
        text: "Save Edits"
        shortcut: root.convertShortCutForPlatform("Cmd+S")
        enabled: root.canSave
        onTriggered: root.saveClicked()
    }
    Action {
        id: shareEditsAction
        text: "Share Edits"
        enabled: root.canShare
        onTriggered: root.shareClicked()
    }
    Action {
        id: quitAction
        text: "Quit " + root.appName
        shortcut: root.convertShortCutForPlatform("Cmd+Q")
        onTriggered: {
            if (root.rootWindow && typeof root.rootWindow.close === "function")
                root.rootWindow.close();
        }
    }

    // Edit
    Action {
        id: undoAction
        text: "Undo"
        shortcut: root.convertShortCutForPlatform("cmd+z")
        enabled: root.canUndo
        onTriggered: root.undo()
    }
    Action {
        id: redoAction
        text: "Redo"
        shortcut: root.convertShortCutForPlatform("cmd+shift+z")
        enabled: root.canRedo
        onTriggered: root.redo()
    }
    Action {
        id: deleteAction
        text: "Delete"
        shortcut: root.convertShortCutForPlatform("backspace")
        enabled: root.canDelete
        onTriggered: root.deleteSelected()
    }
    Action {
        id: selectAllAction
        text: "Select All"
        shortcut: root.convertShortCutForPlatform("cmd+a")
        onTriggered: root.selectAll()
    }

    // Player
    Action {
        id: playPauseAction
        text: "Play/Pause"
        shortcut: root.convertShortCutForPlatform(" ")
        onTriggered: root.playPause()
    }
    Action {
        id: stopAction
        text: "Stop"
        shortcut: root.convertShortCutForPlatform("Shift+ ")
        onTriggered: root.stop()
    }
    Action {
        id: advanceAction
        text: "Advance"
        shortcut: root.convertShortCutForPlatform("Right")
        onTriggered: root.continuePlay()
    }
    Action {
        id: jumpToBarAction
        text: "Jump to Bar..."
        shortcut: root.convertShortCutForPlatform("Cmd+b")
        onTriggered: root.jumpToBarStart()
    }
    Action {
        id: previousMarkerAction
        text: "Previous Marker"
        shortcut: root.convertShortCutForPlatform(",")
        onTriggered: root.previousMarker()
    }
    Action {
        id: nextMarkerAction
        text: "Next Marker"
        shortcut: root.convertShortCutForPlatform(".")
        onTriggered: root.nextMarker()
    }
    Action {
        id: previousBarAction
        text: "Previous Bar"
        shortcut: root.convertShortCutForPlatform("Shift+,")
        onTriggered: root.previousBar()
    }
    Action {
        id: nextBarAction
        text: "Next Bar"
        shortcut: root.convertShortCutForPlatform("Shift+.")
        onTriggered: root.nextBar()
    }

    // View
    Action {
        id: zoomInAction
        text: "Zoom In Timeline"
        shortcut: root.convertShortCutForPlatform("=")
        onTriggered: root.zoomIn()
    }
    Action {
        id: zoomOutAction
        text: "Zoom Out Timeline"
        shortcut: root.convertShortCutForPlatform("-")
        onTriggered: root.zoomOut()
    }

    // Tools
    Action {
        id: audioManagerAction
        text: "Audio Manager..."
        shortcut: root.convertShortCutForPlatform("Shift+Cmd+G")
        enabled: root.showAudioManager
        onTriggered: root.audioManagerClicked()
    }
    Action {
        id: outputPathsAction
        text: "Output Paths..."
        onTriggered: root.outputPaths()
    }
    Action {
        id: midiManagerAction
        text: "MIDI Manager..."
        shortcut: root.convertShortCutForPlatform("Shift+Cmd+M")
        onTriggered: root.midiCommandsClicked()
    }
    Action {
        id: oscManagerAction
        text: "OSC Manager..."
        shortcut: root.convertShortCutForPlatform("Shift+Cmd+O")
        enabled: root.oscEnabled
        onTriggered: root.oscManagerClicked()
    }

    // Help
    Action {
        id: aboutAction
        text: "About " + root.appName + "..."
        onTriggered: root.aboutClicked()
    }
    Action {
        id: supportCenterAction
        text: "VAND Support Center..."
        onTriggered: Qt.openUrlExternally(root.supportCenterUrl)
    }

    Component {
        id: separatorComponent
        VandCustomMenuSeparator {}
    }

    Component {
        id: mainMenuComponent

        VandCustomMenu {
            id: mainMenu
            objectName: "mainMenu"
            parent: root
            x: 0
            y: root.height
            platformName: root.platformName

            VandCustomMenu {
                title: "File"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [downloadLatestLogAction, null, viewPastLogsAction,
                                                            saveEditsAction, shareEditsAction, null, quitAction])
            }

            VandCustomMenu {
                title: "Edit"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [undoAction, redoAction, null, deleteAction,
                                                            selectAllAction])
            }

            VandCustomMenu {
                title: "Player"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [playPauseAction, stopAction, advanceAction, null,
                                                            jumpToBarAction, previousMarkerAction, nextMarkerAction,
                                                            previousBarAction, nextBarAction])
            }

            VandCustomMenu {
                title: "View"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [zoomInAction, zoomOutAction])
            }

            VandCustomMenu {
                title: "Tools"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [audioManagerAction, outputPathsAction,
                                                            midiManagerAction, oscManagerAction])
            }

            VandCustomMenu {
                title: "Help"
                platformName: root.platformName
                Component.onCompleted: root.fillMenu(this, [aboutAction, supportCenterAction])
            }
        }
    }

    AboutWindow {
        id: about
        rootWindow: root.rootWindow
    }
}
