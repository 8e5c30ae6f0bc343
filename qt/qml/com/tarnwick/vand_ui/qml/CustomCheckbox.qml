import QtQuick
import QtQuick.Controls.Basic

// Check box with a white box and a drawn tick. The label is rich text built
// from `checkboxTextStr` in `checkboxTextColor`.
CheckBox {
    id: control

    property string checkboxTextStr: ""
    property string checkboxTextColor: theme.default_text_color.toString()

    VandTheme { id: theme }

    text: "<font color='" + checkboxTextColor + "'>" + checkboxTextStr + "</font>"
    font: theme.default_font

    FocusHighlight {
        anchors.fill: parent
        z: -10000
        visible: control.activeFocus
    }

    indicator: Item {
        implicitWidth: 22
        implicitHeight: 22
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2

        Rectangle {
            id: box
            width: 22
            height: 22
            radius: 3
            color: control.checked ? "steelblue" : "white"
            border.width: 2
            border.color: control.activeFocus ? "steelblue" : "transparent"

            Canvas {
                anchors.fill: parent
                visible: control.checked
                onPaint: {
                    const ctx = getContext("2d");
                    ctx.reset();
                    ctx.strokeStyle = "white";
                    ctx.lineWidth = 2;
                    ctx.beginPath();
                    ctx.moveTo(0.2 * width, 0.5 * height);
                    ctx.lineTo(0.4 * width, 0.7 * height);
                    ctx.lineTo(0.8 * width, 0.3 * height);
                    ctx.stroke();
                }
            }
        }
    }

    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: theme.default_text_color
        verticalAlignment: Text.AlignVCenter
    }
}
