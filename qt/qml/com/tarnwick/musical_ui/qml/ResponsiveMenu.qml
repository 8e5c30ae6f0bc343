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
        onClicked: mainMenu.open()
    }

    Action {
        objectName: "deleteKeyAction"
        text: "Not on Menu, Delete Key"
        shortcut: "Delete"
        enabled: root.canDelete
        onTriggered: root.deleteSelected()
    }

    VandCustomMenu {
        id: mainMenu
        objectName: "mainMenu"
        x: 0
        y: root.height
        platformName: root.platformName

        VandCustomMenu {
            title: "File"
            platformName: root.platformName

            Action {
                text: "Download Latest Log"
                onTriggered: root.getLatestLogClicked()
            }
            VandCustomMenuSeparator {}
            Action {
                text: "View Past Logs..."
                onTriggered: root.changelogManagerOpened()
            }
            Action {
                text: "Save Edits"
                shortcut: root.convertShortCutForPlatform("Cmd+S")
                enabled: root.canSave
                onTriggered: root.saveClicked()
            }
            Action {
                text: "Share Edits"
                enabled: root.canShare
                onTriggered: root.shareClicked()
            }
            VandCustomMenuSeparator {}
            Action {
                text: "Quit " + root.appName
                shortcut: root.convertShortCutForPlatform("Cmd+Q")
                onTriggered: {
                    if (root.rootWindow && typeof root.rootWindow.close === "function")
                        root.rootWindow.close();
                }
            }
        }

        VandCustomMenu {
            title: "Edit"
            platformName: root.platformName

            Action {
                text: "Undo"
                shortcut: root.convertShortCutForPlatform("cmd+z")
                enabled: root.canUndo
                onTriggered: root.undo()
            }
            Action {
                text: "Redo"
                shortcut: root.convertShortCutForPlatform("cmd+shift+z")
                enabled: root.canRedo
                onTriggered: root.redo()
            }
            VandCustomMenuSeparator {}
            Action {
                text: "Delete"
                shortcut: root.convertShortCutForPlatform("backspace")
                enabled: root.canDelete
                onTriggered: root.deleteSelected()
            }
            Action {
                text: "Select All"
                shortcut: root.convertShortCutForPlatform("cmd+a")
                onTriggered: root.selectAll()
            }
        }

        VandCustomMenu {
            title: "Player"
            platformName: root.platformName

            Action {
                text: "Play/Pause"
                shortcut: root.convertShortCutForPlatform(" ")
                onTriggered: root.playPause()
            }
            Action {
                text: "Stop"
                shortcut: root.convertShortCutForPlatform("Shift+ ")
                onTriggered: root.stop()
            }
            Action {
                text: "Advance"
                shortcut: root.convertShortCutForPlatform("Right")
                onTriggered: root.continuePlay()
            }
            VandCustomMenuSeparator {}
            Action {
                text: "Jump to Bar..."
                shortcut: root.convertShortCutForPlatform("Cmd+b")
                onTriggered: root.jumpToBarStart()
            }
            Action {
                text: "Previous Marker"
                shortcut: root.convertShortCutForPlatform(",")
                onTriggered: root.previousMarker()
            }
            Action {
                text: "Next Marker"
                shortcut: root.convertShortCutForPlatform(".")
                onTriggered: root.nextMarker()
            }
            Action {
                text: "Previous Bar"
                shortcut: root.convertShortCutForPlatform("Shift+,")
                onTriggered: root.previousBar()
            }
            Action {
                text: "Next Bar"
                shortcut: root.convertShortCutForPlatform("Shift+.")
                onTriggered: root.nextBar()
            }
        }

        VandCustomMenu {
            title: "View"
            platformName: root.platformName

            Action {
                text: "Zoom In Timeline"
                shortcut: root.convertShortCutForPlatform("=")
                onTriggered: root.zoomIn()
            }
            Action {
                text: "Zoom Out Timeline"
                shortcut: root.convertShortCutForPlatform("-")
                onTriggered: root.zoomOut()
            }
        }

        VandCustomMenu {
            title: "Tools"
            platformName: root.platformName

            Action {
                text: "Audio Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+G")
                enabled: root.showAudioManager
                onTriggered: root.audioManagerClicked()
            }
            Action {
                text: "Output Paths..."
                onTriggered: root.outputPaths()
            }
            Action {
                text: "MIDI Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+M")
                onTriggered: root.midiCommandsClicked()
            }
            Action {
                text: "OSC Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+O")
                enabled: root.oscEnabled
                onTriggered: root.oscManagerClicked()
            }
        }

        VandCustomMenu {
            title: "Help"
            platformName: root.platformName

            Action {
                text: "About " + root.appName + "..."
                onTriggered: root.aboutClicked()
            }
            Action {
                text: "VAND Support Center..."
                onTriggered: Qt.openUrlExternally(root.supportCenterUrl)
            }
        }
    }

    AboutWindow {
        id: about
        rootWindow: root.rootWindow
    }
}
