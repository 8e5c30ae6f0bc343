import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// Flat horizontal slider. A move near the zero mark snaps onto it; the arrow
// keys move by `step`; Alt + right click resets to the zero mark (without
// `moved()`); a right click opens a popup in which the value can be typed,
// shown and read through `customDisplayFunction` and `customInvertFunction`.
Slider {
    id: control

    property real zeroMark: 0.5
    property int zeroMarkWidth: 2
    property bool showZeroMark: true
    property color barFillColor: "#26a5de"
    property real snapTolerance: 0.03
    property real step: 5.0
    property alias sliderStep: control.step
    readonly property bool isFocused: activeFocus
    // value → text shown in the popup; functions, hence `var`.
    property var customDisplayFunction: function(v) { return v.toFixed(3); }
    // popup text → value; a result that is not a finite number changes nothing.
    property var customInvertFunction: function(text) { return parseFloat(text); }

    VandTheme { id: theme }

    value: 0.5
    from: 0
    to: 1
    focusPolicy: Qt.StrongFocus

    function snapToZeroMark() {
        if (showZeroMark && to !== from && Math.abs(value - zeroMark) / Math.abs(to - from) < snapTolerance)
            value = zeroMark;
    }

    function resetValue() {
        value = showZeroMark ? zeroMark : 0;
    }

    function openValuePopup() {
        popup.open();
    }

    function acceptPopupEntry() {
        const invert = control.customInvertFunction;
        const entered = invert(entry.text);
        popup.close();
        if (typeof entered !== "number" || !isFinite(entered))
            return;
        value = entered;
        moved();
    }

    onMoved: snapToZeroMark()

    Keys.onRightPressed: (event) => {
        value = Math.min(value + step, to);
        moved();
    }
    Keys.onLeftPressed: (event) => {
        value = Math.max(value - step, from);
        moved();
    }

    background: Item {
        x: control.leftPadding
        y: control.topPadding + control.availableHeight / 2 - height / 2
        implicitWidth: 200
        implicitHeight: 4
        width: control.availableWidth
        height: implicitHeight

        // Stands where the handle's centre stands at the zero mark.
        Rectangle {
            objectName: "zeroMark"
            readonly property real position: control.to !== control.from
                                             ? (control.zeroMark - control.from) / (control.to - control.from) : 0
            x: position * parent.width - control.handle.width * (position - 0.5) - control.zeroMarkWidth / 2
            y: -7
            width: control.zeroMarkWidth
            height: parent.height + 15
            radius: 1
            color: "#666666"
            visible: control.showZeroMark
        }

        Rectangle {
            objectName: "track"
            anchors.fill: parent
            radius: 2
            color: "#555555"
        }

        Rectangle {
            objectName: "fill"
            width: control.visualPosition * parent.width
            height: parent.height
            radius: 2
            color: control.barFillColor
        }
    }

    handle: Rectangle {
        x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
        y: control.topPadding + control.availableHeight / 2 - height / 2
        implicitWidth: 16
        implicitHeight: 12
        radius: 2
        color: control.pressed || control.hovered ? Qt.lighter("#69696a", 1.3) : "#69696a"

        FocusHighlight {
            anchors.fill: parent
            visible: control.activeFocus
        }
    }

    // Beside the handle, not inside it: an effect inside the item it reads
    // would render that item recursively.
    VandDropShadow {
        objectName: "handleShadow"
        x: control.handle.x
        y: control.handle.y
        width: control.handle.width
        height: control.handle.height
        z: -0.5
        source: control.handle
        transparentBorder: true
        horizontalOffset: 0
        verticalOffset: 0
        radius: 8
        spread: 0
        samples: 20
        color: "#aa000000"
        // Drawn once; it moves with the handle.
        cached: true
    }

    MouseArea {
        objectName: "rightButtonArea"
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: (mouse) => {
            if (mouse.modifiers & Qt.AltModifier)
                control.resetValue();
            else
                control.openValuePopup();
        }
    }

    Popup {
        id: popup
        objectName: "valuePopup"
        x: (control.width - width) / 2
        y: control.height
        width: 200
        height: 50
        modal: true
        margins: 0
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent

        onAboutToShow: entry.text = Qt.binding(() => control.customDisplayFunction(control.value))
        onOpened: entry.forceActiveFocus()

        background: Rectangle {
            color: Qt.darker(theme.default_bg_color, 1.4)
            border.width: 0
        }

        contentItem: Item {
            RowLayout {
                anchors.centerIn: parent
                spacing: 10

                // The field lets Return through to the row.
                Keys.onReturnPressed: control.acceptPopupEntry()
                Keys.onEnterPressed: control.acceptPopupEntry()

                RecessedTextInput {
                    id: entry
                    objectName: "valueEntry"
                    Layout.preferredWidth: 120
                    text: {
                        const display = control.customDisplayFunction;
                        return display(control.value);
                    }
                }

                FlatButton {
                    objectName: "valueOkButton"
                    text: qsTr("OK")
                    onClicked: control.acceptPopupEntry()
                }
            }
        }
    }
}
