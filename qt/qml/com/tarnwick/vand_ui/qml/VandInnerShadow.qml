import QtQuick
// Qualified: the module's own listing names VandBlurKernels a singleton.
import com.tarnwick.vand_ui as Vand

// The graphical effects' InnerShadow (spread 0), drawn the same way: the
// shadow of the source's outside, blurred across then down, laid inside the
// source. Its two blur passes take their kernel and shader from
// VandBlurKernels, shared by every shadow of the same radius, instead of
// working them out once per pass and instance.
Item {
    id: root

    property Item source
    property real radius: 0
    property int samples: 0
    property color color: "black"
    property real horizontalOffset: 0
    property real verticalOffset: 0
    property bool cached: false

    readonly property int maximumRadius: samples * 0.5
    readonly property var kernel: Vand.VandBlurKernels.weights(radius, maximumRadius)
    readonly property url blurShader: Vand.VandBlurKernels.shader(maximumRadius * 2)

    // One pass of the blur over its source, horizontalStep or verticalStep
    // being one texel of the pass's size.
    component BlurPass: Item {
        id: pass

        property Item source
        property real horizontalStep: 0
        property real verticalStep: 0
        property var kernel
        property url shader

        ShaderEffectSource {
            id: passSource
            sourceItem: pass.source
        }

        ShaderEffect {
            anchors.fill: parent
            property variant source: passSource
            property variant delta: Qt.vector3d(pass.horizontalStep * pass.kernel.deltaFactor,
                                                pass.verticalStep * pass.kernel.deltaFactor,
                                                pass.kernel.startIndex)
            property variant factor_0_2: pass.kernel.factors[0]
            property variant factor_3_5: pass.kernel.factors[1]
            property variant factor_6_8: pass.kernel.factors[2]
            property variant factor_9_11: pass.kernel.factors[3]
            property variant factor_12_14: pass.kernel.factors[4]
            property variant factor_15_17: pass.kernel.factors[5]
            property variant factor_18_20: pass.kernel.factors[6]
            property variant factor_21_23: pass.kernel.factors[7]
            property variant factor_24_26: pass.kernel.factors[8]
            property variant factor_27_29: pass.kernel.factors[9]
            property variant factor_30_31: pass.kernel.factors[10]
            property real gaussianSum: pass.kernel.sum
            property real expandX: 0.0
            property real expandY: 0.0
            fragmentShader: pass.shader
        }
    }

    // The textures of the source and of each pass, as the graphical effects
    // take them from an item that is not a texture of its own.
    ShaderEffectSource {
        id: sourceTexture
        sourceItem: root.source
    }

    ShaderEffectSource {
        anchors.fill: composite
        visible: root.cached
        smooth: true
        sourceItem: composite
        live: true
        hideSource: visible
    }

    ShaderEffect {
        id: outside
        anchors.fill: parent
        property variant original: sourceTexture
        property color color: root.color
        property real horizontalOffset: root.horizontalOffset / root.width
        property real verticalOffset: root.verticalOffset / root.height
        visible: false
        fragmentShader: "qrc:/qt-project.org/imports/Qt5Compat/GraphicalEffects/shaders_ng/gaussianinnershadow_shadow.frag.qsb"
    }

    BlurPass {
        id: down
        anchors.fill: parent
        source: across
        verticalStep: 1.0 / parent.height
        kernel: root.kernel
        shader: root.blurShader
        visible: false
    }

    BlurPass {
        id: across
        anchors.fill: parent
        source: outside
        horizontalStep: 1.0 / parent.width
        kernel: root.kernel
        shader: root.blurShader
        visible: false
    }

    ShaderEffectSource {
        id: blurred
        sourceItem: down
        live: true
        smooth: true
    }

    ShaderEffect {
        id: composite
        anchors.fill: parent
        property variant original: sourceTexture
        property variant shadow: blurred
        property real spread: 1.0
        property color color: root.color
        fragmentShader: "qrc:/qt-project.org/imports/Qt5Compat/GraphicalEffects/shaders_ng/gaussianinnershadow.frag.qsb"
    }
}
