import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import com.tarnwick.vand_ui

// Spin boxes, sliders, dial, the edit-tool buttons and id label, the column
// splitter and the form fields, for looking at them.
Window {
    width: 900
    height: 760
    visible: true
    color: theme.default_bg_color

    VandTheme { id: theme }

    Column {
        x: 16
        y: 16
        spacing: 18

        Row {
            spacing: 24
            CustomSpinBox { width: 150; from: 0; to: 127; intValue: 78 }
            CustomSpinBox { width: 150; from: 1; to: 10; intValue: 0; underflowWithInfinite: true }
            RecessedSpinBox { from: 0; to: 500; inputWidth: 45; textIndent: 0 }
            RecessedSpinBox { from: 1; to: 500; defaultValue: 2; inputWidth: 45; textIndent: 0 }
            RecessedSpinBox { from: -6; to: 6; defaultValue: 6; inputWidth: 45; textIndent: 0 }
        }

        Row {
            spacing: 24
            VandCustomSlider { width: 200; value: 0.3 }
            VandCustomSlider { width: 200; from: -50; to: 50; zeroMark: 0; stepSize: 1; value: 20; barFillColor: "orange" }
            VandCustomVolumeSlider { width: 200; value: 0.7866278611 }
            VandCustomSlider { width: 200; showZeroMark: false; value: 0.8; enabled: false }
        }

        Row {
            spacing: 24
            VandCustomSlider { id: focused; width: 200; value: 0.6; Component.onCompleted: forceActiveFocus() }
            Repeater {
                model: [-1, -0.5, 0, 0.5, 1]
                VandCustomDial { value: modelData }
            }
            VandCustomDial { value: 0.3; enabled: false }
            VandCustomDial { width: 40; height: 40; value: -0.3; showZeroMark: false }
        }

        Row {
            spacing: 24
            StandardEditButtons { width: 260 }
            EventIdLabel { width: 200; value: "N-20250114-0012" }
            EventIdLabel { width: 120 }
        }

        // A header row: the grip sits right of the "Name" column.
        Item {
            width: 500
            height: 30
            Rectangle {
                id: statusLabel
                width: 80
                height: 26
                color: theme.light_background_color
                Text { anchors.centerIn: parent; text: "Status"; color: theme.default_text_color; font: theme.default_font }
            }
            Rectangle {
                id: nameHeader
                x: statusLabel.width + split.colSpacing
                width: split.desiredWidth
                height: 26
                color: theme.light_background_color
                Text { anchors.centerIn: parent; text: "Name"; color: theme.default_text_color; font: theme.default_font }
            }
            HeaderLabelDrag {
                id: split
                height: 26
                desiredWidth: 160
                controlToLeft: nameHeader
                controlToFarLeft: statusLabel
                statusItem: statusLabel
            }
        }

        Row {
            spacing: 24
            Column {
                spacing: 12
                width: 400
                TextInputControl { width: 400; text: "Show Name"; value: "Demo Show" }
                DirectoryInputControl { width: 400; text: "Source Directory"; value: "/home/crew/My Shows" }
                FileInputControl { width: 400; value: "C:/Audio/Click Track.wav" }
            }
            Column {
                spacing: 12
                FileDisplay {
                    width: 300
                    height: 150
                    text: "MIDI Files"
                    value: ["01 Overture.mid", "02 Opening Number.mid", "03 Ballad.mid", "04 Finale Act 1.mid",
                            "05 Entr'acte.mid", "06 Finale.mid"]
                }
                RecessedTextArea { width: 300; height: 70; text: "Line one of a text area\nLine two" }
            }
        }

        PackageControl { width: 500; toggleText: "Package with Advanced Features"; fontSize: 16; toggled: true }
    }
}
