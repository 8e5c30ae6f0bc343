pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts

// Level meter: equal segments lit from the left on the volume sliders' taper
// (lit fraction exp(dB / 25)), followed by the level in decibels.
Item {
    id: root

    // Linear gain: 1 is 0 dB, 0 is silence.
    property real value: 0.0
    property int segments: 8
    property color startColor: "green"
    property color endColor: "lightgreen"
    property color darkSegmentColor: "#444"
    property int segmentHeight: 8
    property int spacing: Math.max(Math.ceil(segmentHeight * 0.10),
                                   Math.ceil(grayBar.width / segments * 0.05))
    property int radius: Math.ceil(segmentHeight * 0.10)
    property bool enableInnerGlow: true

    function interpolateColor(startColor, endColor, progress) {
        return Qt.rgba(startColor.r + (endColor.r - startColor.r) * progress,
                       startColor.g + (endColor.g - startColor.g) * progress,
                       startColor.b + (endColor.b - startColor.b) * progress,
                       startColor.a + (endColor.a - startColor.a) * progress);
    }

    QtObject {
        id: level

        // Anything but a positive gain (0, negative, NaN) is silence.
        readonly property bool silent: !(root.value > 0)
        // Snapped to 1e-9 dB so that a gain made from a level of exactly
        // n.5 dB rounds as that level does, not as its last bit says.
        readonly property real decibels: silent ? -Infinity
                                                : Math.round(20 * Math.log10(root.value) * 1e9) / 1e9
        readonly property real fraction: silent ? 0 : Math.exp(decibels / 25)
        readonly property string text: silent ? "-∞ dB" : (Math.round(decibels) + 0) + " dB"
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 2
        spacing: 5

        Rectangle {
            id: grayBar
            objectName: "grayBar"
            color: "transparent"
            Layout.fillWidth: true
            Layout.preferredHeight: root.segmentHeight
            Layout.alignment: Qt.AlignVCenter

            Row {
                anchors.fill: parent
                spacing: root.spacing

                Repeater {
                    id: segmentRepeater
                    objectName: "segmentRepeater"
                    model: root.segments

                    Rectangle {
                        id: darkSegment
                        objectName: "darkSegment"

                        required property int index
                        readonly property real position: index / root.segments

                        width: (grayBar.width - root.spacing * root.segments) / root.segments
                        height: grayBar.height
                        color: root.darkSegmentColor
                        radius: root.radius

                        Rectangle {
                            id: colorPart
                            objectName: "colorPart"
                            height: parent.height
                            radius: root.radius
                            width: darkSegment.position + 1 / root.segments < level.fraction
                                   ? darkSegment.width
                                   : Math.max(0, (level.fraction - darkSegment.position)
                                                 * (grayBar.width - root.spacing * (root.segments - 1)))
                            color: level.fraction > darkSegment.position
                                   ? root.interpolateColor(root.startColor, root.endColor, darkSegment.position)
                                   : "#444"
                        }

                        VandInnerShadow {
                            anchors.fill: colorPart
                            source: colorPart
                            color: "yellow"
                            radius: 22
                            samples: 32
                            cached: true
                            smooth: true
                            visible: root.enableInnerGlow && colorPart.width > 0
                        }
                    }
                }
            }
        }

        Text {
            objectName: "levelText"
            Layout.preferredWidth: 35
            horizontalAlignment: Text.AlignRight
            font.pixelSize: 10
            color: "silver"
            text: level.text
        }
    }
}
