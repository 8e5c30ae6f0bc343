pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui

// The current song's timeline: lanes of items on a horizontally scrolling,
// zoomable strip with a playhead. Positions are base pixels (pixels at zoom
// 1.0, 25 ticks each); an item at base position p is drawn at p * viewScale.
// The timeline controller and the item controllers fill the lanes; the view
// zooms, scrolls, pans, selects a range and reports clicks.
Rectangle {
    id: control
    objectName: "timeLine"

    property int rowSize: 16
    property int rowSpacing: 10
    property double scaleDeltaHighRes: 1.0
    property double minScale: 0.15
    property double maxScale: 4.0
    property double viewScale: 1.0
    property double scrollDelta: 1.0
    property bool enableZoomAnimation: false
    property Item keyMarkersBar: keyLane
    property Item tempoMarkersBar: tempoLane
    property Item meterMarkersBar: meterLane
    property Item markersBar: markerLane
    property Item editsBar: eventLane
    property Item effectBar: effectLane
    property int selectionStart: 0
    property int selectionEnd: 0
    property bool selecting: true
    property bool selectingStart: true
    property Item playheadItem: playhead
    property Item barsRegion: bars
    property int baseWidth: 0
    property int viewStart: flick.contentX / viewScale
    property int viewEnd: (flick.contentX - paddingBeforeTimelineStart + flick.width) / viewScale
    property bool selectionActive: false
    property int paddingBeforeTimelineStart: 30

    signal setViewStart(int val)
    signal timelineScaleChanged(double val, bool initializing)
    signal timelineClicked(int pos)

    // The menu invokes both by name with QVariant arguments.
    function zoomin(delta, doAnimation) {
        control.enableZoomAnimation = doAnimation;
        control.viewScale = control.viewScale + delta < control.maxScale ? control.viewScale + delta : control.maxScale;
        control.enableZoomAnimation = false;
    }

    function zoomout(delta, doAnimation) {
        control.enableZoomAnimation = doAnimation;
        control.viewScale = control.viewScale - delta > control.minScale ? control.viewScale - delta : control.minScale;
        control.enableZoomAnimation = false;
    }

    // Ticks of a position in pixels at the current zoom.
    function calculateScaledPosition(position) {
        return position / control.viewScale * 25;
    }

    function selectLargestWithSign(a, b) {
        return Math.abs(a) >= Math.abs(b) ? a : b;
    }

    color: theme.default_bg_color

    onSetViewStart: (val) => flick.contentX = val * control.viewScale
    onViewScaleChanged: control.timelineScaleChanged(control.viewScale, false)

    Behavior on viewScale {
        enabled: control.enableZoomAnimation
        NumberAnimation {
            duration: 250
            easing.type: Easing.InOutQuad
        }
    }

    VandTheme { id: theme }

    Rectangle {
        id: labelColumn
        objectName: "labelColumn"
        z: 2
        width: 90
        height: parent.height
        color: theme.default_bg_color

        Column {
            anchors.fill: parent
            anchors.margins: 8
            spacing: control.rowSpacing

            Repeater {
                model: ["Bars:Beats", "Key", "Tempo", "Meter", "Markers", "Events", "Effects"]
                delegate: Text {
                    required property string modelData
                    width: parent ? parent.width : 0
                    height: control.rowSize
                    text: modelData
                    horizontalAlignment: Text.AlignRight
                    color: theme.light_text_color
                    font: theme.default_font
                }
            }

            Row {
                spacing: 5

                FlatButton {
                    objectName: "zoomOutButton"
                    text: "-"
                    font: theme.default_font
                    toolTip.text: "Zoom out timeline"
                    onReleased: control.zoomout(0.6, true)
                }
                FlatButton {
                    objectName: "zoomInButton"
                    text: "+"
                    font: theme.default_font
                    toolTip.text: "Zoom in timeline"
                    onReleased: control.zoomin(0.6, true)
                }
            }
        }
    }

    VandDropShadow {
        z: 1
        anchors.fill: labelColumn
        source: labelColumn
        horizontalOffset: 4
        radius: 18
        samples: 34
        color: "#A0000000"
        // Drawn once, and again only when its caster changes.
        cached: true
    }

    Rectangle {
        id: scrollArea
        objectName: "scrollArea"
        anchors.left: labelColumn.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: scrollBar.top
        color: theme.light_background_color

        Rectangle {
            width: control.paddingBeforeTimelineStart
            height: parent.height
            color: "#2b2b2b"
        }

        // Beneath the content: wheel zoom and scroll.
        MouseArea {
            id: wheelArea
            objectName: "wheelArea"
            anchors.fill: parent
            acceptedButtons: Qt.RightButton

            onWheel: (wheel) => {
                if (wheel.modifiers & Qt.ControlModifier) {
                    if (wheel.angleDelta.y > 0)
                        control.zoomin(control.scaleDeltaHighRes / 12, false);
                    else
                        control.zoomout(control.scaleDeltaHighRes / 12, false);
                    return;
                }
                if (control.scrollDelta === 0 || wheel.angleDelta.y * control.scrollDelta === 0)
                    return;
                if (control.selectLargestWithSign(wheel.angleDelta.x, wheel.angleDelta.y) < 0)
                    flick.contentX = Math.max(0, flick.contentX - 25);
                else
                    flick.contentX = Math.min(Math.max(0, flick.contentWidth - flick.width), flick.contentX + 25);
            }
        }

        Flickable {
            id: flick
            objectName: "timelineFlickable"
            anchors.fill: parent
            clip: true
            interactive: false
            contentWidth: content.width
            contentHeight: height

            // Right-button pan.
            DragHandler {
                id: panHandler
                property real startX: 0

                acceptedButtons: Qt.RightButton
                dragThreshold: 0
                target: null
                yAxis.enabled: false

                onActiveChanged: {
                    if (active)
                        panHandler.startX = flick.contentX;
                }
                onTranslationChanged: {
                    if (active)
                        flick.contentX = Math.min(Math.max(panHandler.startX - translation.x, 0),
                                                  Math.max(flick.contentWidth - flick.width, 0));
                }
            }

            Rectangle {
                id: content
                objectName: "timelineContent"
                x: control.paddingBeforeTimelineStart
                width: control.baseWidth * control.viewScale
                height: flick.height
                color: theme.light_background_color

                Rectangle {
                    objectName: "selectionRect"
                    z: 150000
                    x: control.selectionStart * control.viewScale
                    width: (control.selectionEnd - control.selectionStart) * control.viewScale > 0
                           ? (control.selectionEnd - control.selectionStart) * control.viewScale : 1
                    height: parent.height
                    color: "silver"
                    opacity: 0.10
                    visible: control.selectionActive
                }

                // Left button: select a range, or click to seek.
                MouseArea {
                    id: selectionArea
                    objectName: "selectionArea"
                    property bool dragHappened: false

                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton

                    onPressed: (mouse) => {
                        const x = mouse.x / control.viewScale;
                        selectionArea.dragHappened = false;
                        control.selectionActive = !(control.selectionActive && x >= control.selectionStart
                                                    && x <= control.selectionEnd);
                        control.selecting = true;
                        control.selectingStart = false;
                        control.selectionStart = x;
                        control.selectionEnd = x;
                    }
                    onPositionChanged: (mouse) => {
                        if (!control.selecting)
                            return;
                        const x = mouse.x / control.viewScale;
                        if (!control.selectingStart && x < control.selectionStart) {
                            control.selectingStart = true;
                            control.selectionEnd = control.selectionStart;
                            control.selectionStart = x;
                        } else if (control.selectingStart && x > control.selectionEnd) {
                            control.selectingStart = false;
                            control.selectionStart = control.selectionEnd;
                            control.selectionEnd = x;
                        } else if (control.selectingStart) {
                            control.selectionStart = x;
                        } else {
                            control.selectionEnd = x;
                        }
                        selectionArea.dragHappened = control.selectionEnd !== control.selectionStart;
                    }
                    onReleased: (mouse) => {
                        control.selecting = false;
                        control.selectingStart = true;
                        if (!selectionArea.dragHappened) {
                            control.selectionActive = false;
                            control.timelineClicked(mouse.x / control.viewScale);
                        }
                    }
                }

                Item {
                    id: bars
                    objectName: "barsRegion"

                    property alias audioFadeBoxControl: fadeBox
                    property alias audioInBoxControl: inBox
                    property alias audioutBoxControl: outBox
                    property int audioFadeRegionWidth: 0
                    property int audioFadeRegionPos: 0
                    property int audioInRegionWidth: 0
                    property int audioInRegionPos: 0
                    property int audioOutRegionWidth: 0
                    property int audioOutRegionPos: 0
                    property bool shiftRegion: true
                    property int doubleBarIndicatorWidth: 4
                    property color audioRegionColor: "#2b2b2b"
                    property color audioRegionColorFaded: Qt.rgba(audioRegionColor.r, audioRegionColor.g,
                                                                  audioRegionColor.b, 0.15)
                    // The bar and beat lines within reach (the lane's model).
                    property var lineModel: null

                    anchors.fill: parent

                    Rectangle {
                        id: fadeBox
                        objectName: "audioFadeBox"
                        x: bars.audioFadeRegionPos * control.viewScale
                           + (bars.shiftRegion ? bars.doubleBarIndicatorWidth : 0)
                        width: bars.audioFadeRegionWidth * control.viewScale
                               - (bars.shiftRegion ? bars.doubleBarIndicatorWidth : 0)
                        height: parent.height
                        gradient: Gradient {
                            orientation: Gradient.Horizontal
                            GradientStop { position: 0.0; color: bars.audioRegionColor }
                            GradientStop { position: 1.0; color: bars.audioRegionColorFaded }
                        }
                    }

                    Rectangle {
                        id: outBox
                        objectName: "audioOutBox"
                        z: fadeBox.z - 1
                        x: bars.audioOutRegionPos * control.viewScale
                        width: bars.audioOutRegionWidth * control.viewScale
                        height: parent.height
                        color: bars.audioRegionColor
                    }

                    Rectangle {
                        id: inBox
                        objectName: "audioInBox"
                        z: fadeBox.z - 2
                        x: bars.audioInRegionPos * control.viewScale
                        width: bars.audioInRegionWidth * control.viewScale
                        height: parent.height
                        color: bars.audioRegionColor
                    }

                    Repeater {
                        objectName: "barLines"
                        model: bars.lineModel

                        delegate: TimeBar {
                            id: timeBar
                            required property string lineLabel
                            required property int linePosition
                            required property bool lineIsBar
                            required property bool lineIsEnd
                            required property bool lineShowsLabel
                            // line index * 4 + state (0 hidden, 1 shown, 2
                            // fading out, 3 fading in)
                            required property int lineKey
                            required property int lineZ
                            property int shownLine: -1

                            // Changes of its own line fade, and a new view
                            // fades in; a view that gets another line takes
                            // its state at once.
                            function applyLineKey() {
                                const line = Math.floor(timeBar.lineKey / 4);
                                const state = timeBar.lineKey % 4;
                                const fresh = timeBar.shownLine < 0;
                                if (fresh && state === 3)
                                    timeBar.applyLineState(0, false);
                                timeBar.applyLineState(state, line === timeBar.shownLine || (fresh && state === 3));
                                timeBar.shownLine = line;
                            }

                            barLabel: lineLabel
                            basePos: linePosition
                            isBar: lineIsBar
                            isEndBar: lineIsEnd
                            showLabel: lineShowsLabel
                            z: lineZ
                            viewScale: bars.lineModel ? bars.lineModel.viewScale : 1.0

                            onLineKeyChanged: applyLineKey()
                            Component.onCompleted: applyLineKey()
                        }
                    }
                }

                Column {
                    objectName: "lanes"
                    y: 8
                    spacing: control.rowSpacing

                    Item {
                        objectName: "barsLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: keyLane
                        objectName: "keyLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: tempoLane
                        objectName: "tempoLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: meterLane
                        objectName: "meterLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: markerLane
                        objectName: "markerLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: eventLane
                        objectName: "eventLane"
                        width: content.width
                        height: control.rowSize
                    }
                    Item {
                        id: effectLane
                        objectName: "effectLane"
                        width: content.width
                        height: control.rowSize
                    }
                }

                Playhead {
                    id: playhead
                }
            }
        }
    }

    CustomScrollBar {
        id: scrollBar
        objectName: "timelineScrollBar"
        anchors.left: labelColumn.right
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 20
        orientation: Qt.Horizontal
        hoverEnabled: true
        active: hovered || pressed
        size: flick.contentWidth > 0 ? flick.width / flick.contentWidth : 1
        position: flick.contentWidth > 0 ? flick.contentX / flick.contentWidth : 0
        onPositionChanged: {
            if (!flick.moving)
                flick.contentX = scrollBar.position * flick.contentWidth;
        }
    }

    // Shadow over the right edge, cast by a strip just outside it.
    Rectangle {
        id: rightShadowCaster
        x: control.width
        width: 50
        height: control.height
        color: theme.default_bg_color
    }

    VandDropShadow {
        z: 1
        anchors.fill: rightShadowCaster
        source: rightShadowCaster
        horizontalOffset: -4
        radius: 18
        samples: 34
        color: "#A0000000"
        // Drawn once, and again only when its caster changes.
        cached: true
    }
}
