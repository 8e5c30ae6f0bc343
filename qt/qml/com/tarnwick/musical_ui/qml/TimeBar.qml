import QtQuick

// One line of the Bars:Beats lane: a bar line (white label), a beat line (dim
// label) or the song's end (a second, thicker line). The lane's controller
// decides what shows; fades run here.
Item {
    id: control
    objectName: "timeBar"

    property string barLabel: ""
    property int basePos: 0
    property double viewScale: 1.0
    property bool isBar: true
    property color barColor: isBar ? Qt.lighter("#282828", 2) : Qt.lighter("#282828", 1.3)
    property color labelColor: isBar ? "white" : Qt.lighter("#282828", 1.6)
    property bool isEndBar: false
    property bool showLabel: true

    // A fade-in that has not shown anything yet is cut short: the line is
    // hidden at once.
    function fadeOutMethod() {
        fade.stop();
        if (line.opacity !== 0) {
            fade.to = 0;
            fade.start();
        } else {
            line.visible = false;
            control.visible = false;
        }
    }

    function fadeInMethod() {
        fade.stop();
        control.visible = true;
        line.visible = true;
        fade.to = 1;
        fade.start();
    }

    // state: 0 hidden, 1 shown, 2 fading out, 3 fading in; without animate
    // the line takes its end state at once.
    function applyLineState(state, animate) {
        if (animate && state === 2) {
            fadeOutMethod();
            return;
        }
        if (animate && state === 3) {
            fadeInMethod();
            return;
        }
        fade.stop();
        const shown = state === 1 || state === 3;
        line.opacity = shown ? 1 : 0;
        line.visible = shown;
        control.visible = shown;
    }

    height: parent ? parent.height : 0
    x: basePos * viewScale
    width: label.implicitWidth + label.x + 1

    Rectangle {
        id: line
        objectName: "barLine"
        width: 1
        height: parent.height
        color: control.barColor

        Text {
            id: label
            objectName: "barLabel"
            x: 3
            y: 10
            text: control.barLabel
            visible: control.showLabel
            font.pixelSize: 10
            color: control.labelColor
        }

        Rectangle {
            objectName: "endBarLine"
            visible: control.isEndBar
            x: 3
            width: 3
            height: parent.height
            color: control.barColor
        }

        // Fades in (shown first) or out (hidden after) over 500 ms.
        NumberAnimation {
            id: fade
            target: line
            property: "opacity"
            duration: 500
            onFinished: {
                if (fade.to === 0) {
                    line.visible = false;
                    control.visible = false;
                }
            }
        }
    }
}
