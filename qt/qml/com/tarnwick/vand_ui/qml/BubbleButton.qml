pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import Qt5Compat.GraphicalEffects
import com.tarnwick.vand_ui as Vand

// Square dark icon button of the transport bar: hover and press response, an
// optional tinted on state, an optional pulsing glow and a drop-down chevron.
DelayButton {
    id: control

    property color textColor: "silver"
    property bool showText: false
    property bool toggled: false
    property bool radiant: false
    property bool colorToggledOn: false
    property bool showDownChevron: false
    property url imageSource
    // Shown instead of imageSource while toggled, when set.
    property url toggledOnImageSource
    property alias toolTip: toolTipItem
    property int pressOffsetX: 2
    property int pressOffsetY: 4

    implicitWidth: 52
    implicitHeight: implicitWidth
    font: Vand.VandThemeValues.default_font
    focusPolicy: Qt.TabFocus
    padding: 0

    Keys.onReturnPressed: control.clicked()

    // The glow reads the face (with its focus frame) and lies beside it, not
    // inside it: an effect inside its own source would render recursively.
    background: Item {
        id: face
        implicitWidth: 52
        implicitHeight: 52

        Rectangle {
            id: backgroundRect
            objectName: "background"
            anchors.fill: parent

            gradient: Gradient {
                GradientStop {
                    objectName: "topStop"
                    position: 0.0
                    color: !control.enabled ? "#181818"
                         : control.pressed ? Qt.lighter(Qt.lighter("#181818", 0.4))
                         : control.hovered ? Qt.lighter(Qt.lighter("#181818", 0.6))
                         : Qt.lighter("black")
                }
                GradientStop {
                    position: 1.0
                    color: control.pressed ? Qt.lighter(Qt.lighter("#282828", 0.8))
                                           : Qt.lighter("#222222")
                }
            }

            FocusHighlight {
                anchors.fill: parent
                visible: control.activeFocus
            }
        }

        // Built the first time it shows: most buttons never glow.
        readonly property bool glowing: control.radiant && control.enabled
        property Item glow: null
        function buildGlow() {
            if (glowing && !glow)
                glow = glowComponent.createObject(face);
        }
        onGlowingChanged: buildGlow()
        Component.onCompleted: buildGlow()

        Component {
            id: glowComponent

            Colorize {
                id: glow
                objectName: "glow"
                anchors.fill: backgroundRect
                source: backgroundRect
                hue: 0.547
                saturation: 0.87
                lightness: 0.10
                visible: face.glowing

                // The pulse: the lightness goes to 0.35, 0.10, 0.16 and 0.05 in
                // turn and the hue to 0.547 and 0.58, 800 ms each, each step
                // linear from where the one before ended (the first from where
                // the glow stood). A timer samples it 20 times a second, and only
                // while the glow is seen: an animation would ask for a frame as
                // often as the window can draw one, and every frame redraws the
                // whole window.
                Timer {
                    id: pulse
                    objectName: "glowPulse"

                    readonly property int stepMs: 800
                    readonly property var lightnessSteps: [0.35, 0.10, 0.16, 0.05]
                    readonly property var hueSteps: [0.547, 0.58]
                    property double startedAt: 0
                    property real firstLightness: 0
                    property real firstHue: 0

                    // The value `elapsed` ms into the pulse.
                    function sample(steps, first, elapsed) {
                        const k = Math.floor(elapsed / stepMs);
                        const i = k % steps.length;
                        const from = k === 0 ? first : steps[(i + steps.length - 1) % steps.length];
                        return from + (steps[i] - from) * (elapsed - k * stepMs) / stepMs;
                    }

                    function show(elapsed) {
                        glow.lightness = sample(lightnessSteps, firstLightness, elapsed);
                        glow.hue = sample(hueSteps, firstHue, elapsed);
                    }

                    interval: 50
                    repeat: true
                    running: glow.visible
                    onRunningChanged: {
                        if (running) {
                            startedAt = Date.now();
                            firstLightness = glow.lightness;
                            firstHue = glow.hue;
                        }
                    }
                    onTriggered: show(Date.now() - startedAt)
                }
            }
        }
    }

    contentItem: Item {
        Column {
            anchors.fill: parent

            Item {
                width: parent.width
                height: Math.max(0, (parent.height - iconBox.height - label.height) / 2)
            }

            Item {
                id: iconBox
                width: 22
                height: 22
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.horizontalCenterOffset: control.pressed ? control.pressOffsetX : 0
                transform: Translate { y: control.pressed ? control.pressOffsetY : 0 }

                Image {
                    id: icon
                    objectName: "icon"
                    asynchronous: true
                    anchors.fill: parent
                    fillMode: Image.PreserveAspectFit
                    sourceSize: "44x44"
                    smooth: true
                    opacity: control.enabled && !control.pressed ? 1.0 : 0.5
                    source: control.toggled && String(control.toggledOnImageSource) !== ""
                            ? control.toggledOnImageSource : control.imageSource
                }

                // Built the first time it shows.
                readonly property bool tinted: control.toggled && control.colorToggledOn && control.enabled
                property Item tint: null
                function buildTint() {
                    if (tinted && !tint)
                        tint = tintComponent.createObject(iconBox);
                }
                onTintedChanged: buildTint()
                Component.onCompleted: buildTint()

                Component {
                    id: tintComponent

                    Colorize {
                        objectName: "tint"
                        anchors.fill: icon
                        source: icon
                        opacity: icon.opacity
                        hue: 0.547
                        saturation: 0.82
                        lightness: -0.3
                        visible: iconBox.tinted
                    }
                }
            }

            Text {
                id: label
                objectName: "label"
                width: parent.width
                text: control.text
                font: Vand.VandThemeValues.default_font
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
                opacity: control.enabled ? 1.0 : 0.3
                color: control.down ? Qt.lighter(control.textColor, 0.75) : control.textColor
                visible: control.showText
                height: visible ? implicitHeight : 0
            }
        }

        Image {
            objectName: "chevron"
            asynchronous: true
            source: "qrc:/images/arrow_drop_down.svg"
            fillMode: Image.PreserveAspectFit
            sourceSize: "16x16"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.rightMargin: control.pressed ? control.pressOffsetX : control.pressOffsetX + 3
            anchors.bottomMargin: control.pressed ? control.pressOffsetY : control.pressOffsetY + 3
            opacity: control.enabled && !control.pressed ? 1.0 : 0.5
            visible: control.showDownChevron
        }
    }

    VandToolTip {
        id: toolTipItem
        host: control
        delay: 500
        visible: control.hovered && text !== ""
    }
}
