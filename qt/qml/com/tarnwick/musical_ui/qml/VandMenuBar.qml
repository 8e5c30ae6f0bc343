import QtQuick
import Qt.labs.platform
import "Support.js" as Support

// The in-window menu's commands as the platform's native menu bar, with the
// shortcuts written out in their final form. Its items take their shortcuts
// even where the platform draws no native menu, so it never stands beside the
// in-window menu. Quit asks the window to close, like the in-window menu, so
// that unsaved edits are asked about.
MenuBar {
    id: root

    property bool canUndo: false
    property bool canRedo: false
    property bool canSave: false
    property bool canShare: false
    property bool canDelete: true
    property string appName: "Application"
    property bool showAudioManager: true
    property bool oscEnabled: true
    readonly property bool isMac: Qt.platform.os === "osx" || Qt.platform.os === "macos"

    signal getLatestLogClicked()
    signal viewPastLogsClicked()
    signal saveClicked()
    signal shareClicked()
    signal undoClicked()
    signal redoClicked()
    signal deleteClicked()
    signal selectAllClicked()
    signal playPauseClicked()
    signal stopClicked()
    signal continuePlayClicked()
    signal jumpToBarClicked()
    signal prevMarkerClicked()
    signal nextMarkerClicked()
    signal prevBarClicked()
    signal nextBarClicked()
    signal zoomInClicked()
    signal zoomOutClicked()
    signal audioManagerClicked()
    signal outputPathsClicked()
    signal midiCommandsClicked()
    signal oscManagerClicked()
    signal aboutClicked()

    Menu {
        objectName: "fileMenu"
        title: "&File"

        MenuItem {
            objectName: "latestLogItem"
            text: "Download Latest Log"
            role: MenuItem.NoRole
            onTriggered: root.getLatestLogClicked()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "pastLogsItem"
            text: "View Past Logs..."
            onTriggered: root.viewPastLogsClicked()
        }
        MenuItem {
            objectName: "saveItem"
            text: "Save Edits"
            shortcut: "Ctrl+S"
            enabled: root.canSave
            onTriggered: root.saveClicked()
        }
        MenuItem {
            objectName: "shareItem"
            text: "Share Edits"
            enabled: root.canShare
            onTriggered: root.shareClicked()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "quitItem"
            text: "Quit " + root.appName
            shortcut: "Ctrl+Q"
            role: MenuItem.NoRole
            onTriggered: {
                if (root.window)
                    root.window.close();
            }
        }
    }

    Menu {
        objectName: "editMenu"
        title: "Edit"

        MenuItem {
            objectName: "undoItem"
            text: "Undo"
            shortcut: "Ctrl+z"
            enabled: root.canUndo
            onTriggered: root.undoClicked()
        }
        MenuItem {
            objectName: "redoItem"
            text: "Redo"
            shortcut: "Shift+Ctrl+z"
            enabled: root.canRedo
            onTriggered: root.redoClicked()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "deleteItem"
            text: "Delete"
            shortcut: "Backspace"
            enabled: root.canDelete
            onTriggered: root.deleteClicked()
        }
        MenuItem {
            objectName: "selectAllItem"
            text: "Select All"
            shortcut: "Ctrl+a"
            onTriggered: root.selectAllClicked()
        }
    }

    Menu {
        objectName: "playerMenu"
        title: "Player"

        MenuItem {
            objectName: "playPauseItem"
            text: "Play/Pause"
            shortcut: " "
            onTriggered: root.playPauseClicked()
        }
        MenuItem {
            objectName: "stopItem"
            text: "Stop"
            shortcut: "Shift+ "
            onTriggered: root.stopClicked()
        }
        MenuItem {
            objectName: "advanceItem"
            text: "Advance"
            shortcut: "Right"
            onTriggered: root.continuePlayClicked()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "jumpToBarItem"
            text: "Jump to Bar..."
            shortcut: "Ctrl+b"
            onTriggered: root.jumpToBarClicked()
        }
        MenuItem {
            objectName: "prevMarkerItem"
            text: "Previous Marker"
            shortcut: ","
            onTriggered: root.prevMarkerClicked()
        }
        MenuItem {
            objectName: "nextMarkerItem"
            text: "Next Marker"
            shortcut: "."
            onTriggered: root.nextMarkerClicked()
        }
        MenuItem {
            objectName: "prevBarItem"
            text: "Previous Bar"
            shortcut: "Shift+,"
            onTriggered: root.prevBarClicked()
        }
        MenuItem {
            objectName: "nextBarItem"
            text: "Next Bar"
            shortcut: "Shift+."
            onTriggered: root.nextBarClicked()
        }
    }

    Menu {
        objectName: "viewMenu"
        title: "View"

        MenuItem {
            objectName: "zoomInItem"
            text: "Zoom In Timeline"
            shortcut: "="
            onTriggered: root.zoomInClicked()
        }
        MenuItem {
            objectName: "zoomOutItem"
            text: "Zoom Out Timeline"
            shortcut: "-"
            onTriggered: root.zoomOutClicked()
        }
    }

    Menu {
        objectName: "toolsMenu"
        title: "Tools"

        MenuItem {
            objectName: "audioManagerItem"
            text: "Audio Manager..."
            shortcut: "Shift+Ctrl+G"
            role: MenuItem.NoRole
            enabled: root.showAudioManager
            onTriggered: root.audioManagerClicked()
        }
        MenuItem {
            objectName: "outputPathsItem"
            text: "Output Paths..."
            role: MenuItem.NoRole
            onTriggered: root.outputPathsClicked()
        }
        MenuItem {
            objectName: "midiManagerItem"
            text: "MIDI Manager..."
            shortcut: "Shift+Ctrl+M"
            role: MenuItem.NoRole
            onTriggered: root.midiCommandsClicked()
        }
        MenuItem {
            objectName: "oscManagerItem"
            text: "OSC Manager..."
            shortcut: "Shift+Ctrl+O"
            role: MenuItem.NoRole
            enabled: root.oscEnabled
            onTriggered: root.oscManagerClicked()
        }
    }

    Menu {
        objectName: "helpMenu"
        title: "Help"

        MenuItem {
            objectName: "aboutAppMenuItem"
            text: "About " + root.appName + "..."
            role: MenuItem.AboutRole
            visible: root.isMac
            onTriggered: root.aboutClicked()
        }
        MenuItem {
            objectName: "aboutItem"
            text: "About " + root.appName + "..."
            role: MenuItem.NoRole
            onTriggered: root.aboutClicked()
        }
        MenuItem {
            objectName: "supportAppMenuItem"
            text: "VAND Support Center..."
            role: MenuItem.ApplicationSpecificRole
            visible: root.isMac
            onTriggered: Qt.openUrlExternally(Support.supportCenterUrl)
        }
        MenuItem {
            objectName: "supportItem"
            text: "VAND Support Center..."
            role: MenuItem.NoRole
            onTriggered: Qt.openUrlExternally(Support.supportCenterUrl)
        }
    }
}
