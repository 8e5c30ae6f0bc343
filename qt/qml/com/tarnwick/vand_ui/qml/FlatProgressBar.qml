import QtQuick
import QtQuick.Controls.Basic
import Qt5Compat.GraphicalEffects

// Flat progress bar with curved corners whose front end shines for a second
// after every change of its value.
ProgressBar {
    id: control

    property color fillColor: "#26a5de"
    property color backgroundColor: "#525252"
    property int boxRadius: 3
    property int barHeight: 12

    background: Rectangle {
        implicitHeight: control.barHeight
        color: control.backgroundColor
        radius: control.boxRadius
    }

    contentItem: Item {
        implicitHeight: control.barHeight
        clip: true

        Rectangle {
            id: fill
            objectName: "fill"
            width: control.visualPosition * parent.width
            height: parent.height
            radius: control.boxRadius
            color: control.fillColor
            clip: true

            Rectangle {
                id: tip
                objectName: "tip"
                anchors.right: parent.right
                height: parent.height
                color: control.fillColor
                clip: true
                width: control.tipWidth(control.visualPosition)
                radius: control.visualPosition * control.width <= control.boxRadius
                        || (1 - control.visualPosition) * control.width <= control.boxRadius
                        ? control.boxRadius : 0
            }

            // Beside the tip rather than in it: an effect inside its own
            // source would render recursively.
            LinearGradient {
                id: shine
                objectName: "shine"
                anchors.fill: tip
                start: Qt.point(0, 0)
                end: Qt.point(tip.width, 0)
                source: tip
                // A tip of no width has nothing to shine on.
                visible: tip.width > 0
                gradient: Gradient {
                    GradientStop { position: 0.0; color: control.fillColor }
                    GradientStop {
                        id: movingStop
                        objectName: "movingStop"
                        position: 0.0
                        color: control.fillColor
                    }
                    GradientStop { position: 1.0; color: Qt.lighter(control.fillColor, 1.6) }
                }
            }
        }

        NumberAnimation {
            id: shineAnimation
            objectName: "shineAnimation"
            target: movingStop
            property: "position"
            from: 0
            duration: 1000
            easing.type: Easing.Linear
        }
    }

    function tipWidth(position) {
        return position * 64 > boxRadius ? position * 64 : 0;
    }

    // Runs the shine once from the start. The end stop leaves the tip's last
    // pixel light; a tip narrower than a pixel would put it at -inf or NaN.
    function restartShine() {
        const tip = tipWidth(visualPosition);
        shineAnimation.to = tip > 1 ? (tip - 1) / tip : 0;
        shineAnimation.restart();
    }

    // valueChanged comes before the bindings on the position are updated, so
    // the tip's width is worked out here from the new position.
    onValueChanged: restartShine()
    Component.onCompleted: restartShine()
}
