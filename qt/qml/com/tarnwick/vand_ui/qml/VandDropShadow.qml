import QtQuick
import QtQuick.Window
// Qualified: the module's own listing names VandBlurKernels a singleton.
import com.tarnwick.vand_ui as Vand

// The graphical effects' DropShadow, drawn the same way: the source's alpha
// blurred across then down in the shadow's colour, shifted by the offsets,
// with the source drawn over it. Its shaders come from VandBlurKernels,
// shared by every shadow of the same size, instead of being asked for by
// each instance; and it is one item with its passes rather than three.
Item {
    id: root

    property Item source
    property int samples: 9
    property real radius: Math.floor(samples / 2)
    property color color: "black"
    property real horizontalOffset: 0
    property real verticalOffset: 0
    property real spread: 0.0
    property bool cached: false
    property bool transparentBorder: true

    Item {
        id: blur

        readonly property real dpr: Screen.devicePixelRatio
        readonly property real radius: root.radius * dpr
        readonly property int samples: root.samples * dpr
        readonly property real deviation: (radius + 1.0) / 3.3333
        readonly property int paddedWidth: root.transparentBorder ? width + 2 * radius : width
        readonly property int paddedHeight: root.transparentBorder ? height + 2 * radius : height
        readonly property int kernelRadius: Math.max(0, samples / 2)
        readonly property rect outputRect: root.transparentBorder ? Qt.rect(-radius, 0, paddedWidth, height)
                                                                   : Qt.rect(0, 0, 0, 0)
        readonly property var shaders: Vand.VandBlurKernels.gaussianBlur(kernelRadius, Math.max(0.00001, deviation),
                                                                         true, radius != kernelRadius)

        width: root.width
        height: root.height
        x: Math.round(root.horizontalOffset)
        y: Math.round(root.verticalOffset)

        // The source with room for the blur on either side.
        ShaderEffectSource {
            id: padded
            sourceItem: root.source
            sourceRect: blur.outputRect
        }

        ShaderEffect {
            id: across
            width: root.transparentBorder ? blur.paddedWidth : blur.width
            height: blur.height
            property Item source: padded
            property real spread: blur.radius / blur.kernelRadius
            property var dirstep: Qt.vector2d(1 / (blur.paddedWidth * blur.dpr), 0)
            property real deviation: blur.deviation
            property color color: "white"
            property real thickness: Math.max(0, Math.min(0.98, 1 - root.spread * 0.98))
            layer.enabled: true
            layer.smooth: true
            layer.sourceRect: root.transparentBorder ? Qt.rect(0, -blur.radius, width, blur.paddedHeight)
                                                     : Qt.rect(0, 0, 0, 0)
            visible: false
            blending: false
            fragmentShader: blur.shaders.fragmentShader
            vertexShader: blur.shaders.vertexShader
        }

        ShaderEffect {
            x: root.transparentBorder ? -blur.radius : 0
            y: x
            width: root.transparentBorder ? blur.paddedWidth : blur.width
            height: root.transparentBorder ? blur.paddedHeight : blur.height
            fragmentShader: across.fragmentShader
            vertexShader: across.vertexShader
            property Item source: across
            property real spread: across.spread
            property var dirstep: Qt.vector2d(0, 1 / (blur.paddedHeight * blur.dpr))
            property real deviation: across.deviation
            property color color: root.color
            property real thickness: across.thickness
        }

        // The source itself, back where it was.
        ShaderEffect {
            x: blur.outputRect.x - blur.x
            y: blur.outputRect.y - blur.y
            width: root.transparentBorder ? blur.outputRect.width : blur.width
            height: root.transparentBorder ? blur.outputRect.height : blur.height
            property variant source: padded
        }
    }

    ShaderEffectSource {
        x: -blur.kernelRadius + root.horizontalOffset
        y: -blur.kernelRadius + root.verticalOffset
        width: blur.width + 2 * blur.kernelRadius
        height: blur.height + 2 * blur.kernelRadius
        visible: root.cached
        smooth: true
        sourceRect: Qt.rect(-blur.kernelRadius, -blur.kernelRadius, width, height)
        sourceItem: blur
        hideSource: visible
    }
}
