import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui as Vand

// Small tool button: an 18 x 18 icon over a 9 px caption on a bevelled tile
// that sinks into its shadow while pressed.
Item {
    id: root

    property int offsetSize: 2
    property alias text: caption.text
    property alias imageSource: icon.source
    property alias imageWidth: icon.width
    property alias imageHeight: icon.height
    property alias imageSourceSize: icon.sourceSize
    property bool showImage: true
    property alias toolTip: toolTipItem
    property bool hasImageSource: icon.source !== null && icon.source !== undefined && String(icon.source) !== ""

    signal clicked()

    readonly property bool iconShown: showImage && hasImageSource

    width: 64
    height: iconShown ? 42 : 42 - 24

    VandDropShadow {
        objectName: "shadow"
        z: -1
        anchors.fill: button
        source: button.background
        horizontalOffset: button.pressed ? 0 : root.offsetSize
        verticalOffset: button.pressed ? 0 : root.offsetSize
        radius: 8.0
        spread: 0
        samples: 16
        color: "#66000000"
        transparentBorder: true
        // Drawn once, and again only when the tile changes.
        cached: true
    }

    Button {
        id: button
        objectName: "innerButton"

        x: pressed ? root.offsetSize : 0
        y: pressed ? root.offsetSize : 0
        width: root.width
        height: root.height
        padding: 0
        focusPolicy: Qt.TabFocus
        enabled: root.enabled

        onClicked: root.clicked()
        Keys.onReturnPressed: root.clicked()

        background: Rectangle {
            objectName: "tile"
            color: !button.enabled ? Qt.lighter(Vand.VandThemeValues.default_bg_color, 1.35)
                 : (button.pressed || button.hovered) ? Qt.lighter(Vand.VandThemeValues.default_bg_color, 1.3)
                 : Vand.VandThemeValues.default_bg_color

            FocusHighlight {
                anchors.fill: parent
                visible: button.activeFocus
            }

            BasicBevel {
                bevel_width: 1
            }
        }

        contentItem: Column {
            spacing: 0

            Image {
                id: icon
                objectName: "icon"
                asynchronous: true
                anchors.horizontalCenter: parent.horizontalCenter
                width: 18
                height: root.iconShown ? 18 : 0
                fillMode: Image.PreserveAspectFit
                smooth: true
                clip: true
                sourceSize: "36x36"
                opacity: button.enabled ? 1.0 : 0.3
                visible: root.iconShown
            }

            Text {
                id: caption
                objectName: "caption"
                width: parent.width
                height: root.iconShown ? parent.height - icon.height : parent.height
                font.pixelSize: 9
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: !button.enabled ? "#666666" : (button.hovered ? "white" : "silver")
            }
        }
    }

    VandToolTip {
        id: toolTipItem
        host: root
        delay: 500
        visible: button.hovered && text !== ""
    }
}
