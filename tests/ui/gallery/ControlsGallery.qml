import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
import com.tarnwick.vand_ui

// Every control of the library in a few states, for looking at them.
Window {
    width: 900
    height: 720
    visible: true
    color: theme.default_bg_color

    VandTheme { id: theme }

    Column {
        x: 16
        y: 16
        spacing: 14

        Row {
            spacing: 16
            Repeater {
                model: [0, 0.0001, 0.01, 0.1, 0.5, 1, 2]
                VolumeIndicatorSegmented {
                    width: 110
                    height: 16
                    segments: 10
                    value: modelData
                }
            }
        }

        Row {
            spacing: 24
            BubbleButtonBar {
                BubbleButton { imageSource: "qrc:/images/previous.svg" }
                BubbleButton { imageSource: "qrc:/images/play.svg"; toggled: true; colorToggledOn: true }
                BubbleButton { imageSource: "qrc:/images/pause.svg"; radiant: true }
                BubbleButton { imageSource: "qrc:/images/stop2.svg"; showDownChevron: true }
                BubbleButton { imageSource: "qrc:/images/next.svg"; enabled: false }
                BubbleButton { imageSource: "qrc:/images/fade.svg"; text: "Fade"; showText: true }
            }
            Row {
                spacing: 6
                GraphicButton { text: "Caesura"; imageSource: "qrc:/images/info_icon.svg" }
                GraphicButton { text: "Undo"; imageSource: "qrc:/images/warning_icon.svg"; enabled: false }
                GraphicButton { text: "Save" }
            }
        }

        CustomTabBar {
            width: 600
            currentIndex: 1
            CustomTabButton { text: "Playlist"; source: "qrc:/images/play.svg" }
            CustomTabButton { text: "Markers"; source: "qrc:/images/info_icon.svg"; selectedColor: "#26a5de" }
            CustomTabButton { text: "Events"; source: "qrc:/images/warning_icon.svg" }
        }

        TabBar {
            spacing: 0
            background: Rectangle { color: theme.default_bg_color }
            ModeTabButton { text: "Music Edit"; font: theme.default_font }
            ModeTabButton { text: "Score"; font: theme.default_font }
        }

        Row {
            spacing: 16
            CustomComboBox {
                id: openCombo
                width: 150
                model: ["Built-in Output", "USB Interface with a long name", "HDMI"]
                currentIndex: 1
            }
            CustomComboBox { width: 150; model: ["Disabled"]; enabled: false }
            RecessedTextInput { width: 160; text: "Recessed text" }
            RecessedTextInput { width: 160; text: "Read-only"; editable: false }
            CustomTextInput { width: 80; text: "12" }
        }

        Row {
            spacing: 16
            FlatProgressBar { width: 300; value: 0.0 }
            FlatProgressBar { width: 300; value: 0.42 }
            FlatProgressBar { width: 200; value: 1.0 }
        }

        Row {
            spacing: 16
            WaitIndicator { id: wait; Component.onCompleted: { start(10); startTime = Date.now() - 3500; timer.triggered(); timer.stop(); } }
            Rectangle {
                width: 260
                height: 130
                color: theme.lighter_bg_color_popup
                Column {
                    anchors.fill: parent
                    VandMenuItem { width: parent.width; height: 40; menuText: "Plain menu item" }
                }
            }
        }
    }

    VandCustomMenu {
        id: menu
        x: 620
        y: 280
        platformName: "windows"
        Action { text: "Save"; shortcut: "Ctrl+S" }
        Action { text: "Redo"; shortcut: "Shift+Ctrl+Z"; enabled: false }
        VandCustomMenuSeparator {}
        VandCustomMenu { title: "Fade Time"; Action { text: "5 s" } }
    }

    CustomContextMenu {
        id: contextMenu
        x: 620
        y: 480
        Action { text: "1 s" }
        Action { text: "10 s" }
        Action { text: "Longer entry" }
    }

    Component.onCompleted: {
        menu.open();
        contextMenu.open();
        openCombo.choices.open();
    }
}
