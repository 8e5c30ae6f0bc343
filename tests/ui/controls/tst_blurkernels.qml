import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 200
    height: 60

    Rectangle {
        id: caster
        width: 40
        height: 20
        color: "green"
    }

    VandInnerShadow {
        id: shadow
        anchors.fill: caster
        source: caster
        color: "yellow"
        radius: 22
        samples: 32
    }

    VandDropShadow {
        id: dropA
        anchors.fill: caster
        source: caster
        radius: 8
        samples: 16
        transparentBorder: true
    }

    VandDropShadow {
        id: dropB
        x: 100
        width: 40
        height: 20
        source: caster
        radius: 8
        samples: 16
    }

    VandDropShadow {
        id: dropWide
        anchors.fill: caster
        source: caster
        radius: 18
        samples: 34
    }

    TestCase {
        name: "VandBlurKernels"
        when: windowShown

        function taps(kernel) {
            const w = [];
            for (let i = 0; i < 10; ++i)
                w.push(kernel.factors[i].x, kernel.factors[i].y, kernel.factors[i].z);
            w.push(kernel.factors[10].x, kernel.factors[10].y);
            return w;
        }

        function test_kernelsAreSharedByRadius() {
            const a = VandBlurKernels.weights(22, 16);
            verify(VandBlurKernels.weights(22, 16) === a);
            verify(VandBlurKernels.weights(8, 16) !== a);
            verify(VandBlurKernels.weights(22, 8) !== a);
            verify(shadow.kernel === a);
        }

        function test_kernelIsAGaussianOverItsTaps_data() {
            return [
                {tag: "meter's glow", radius: 22, maximumRadius: 16},
                {tag: "radius within the taps", radius: 8, maximumRadius: 16},
                {tag: "fewer taps", radius: 6, maximumRadius: 8},
            ];
        }

        function test_kernelIsAGaussianOverItsTaps(data) {
            const kernel = VandBlurKernels.weights(data.radius, data.maximumRadius);
            const w = taps(kernel);
            const used = 2 * data.maximumRadius;
            let sum = 0;
            for (let i = 0; i < used; ++i) {
                verify(w[i] > 0, "tap " + i);
                sum += w[i];
                // Symmetric about the middle, rising towards it.
                fuzzyCompare(w[i], w[used - 1 - i], 1e-6 * w[i]);
                if (i > 0 && i < used / 2)
                    verify(w[i] > w[i - 1], "tap " + i);
            }
            for (let j = used; j < 32; ++j)
                compare(w[j], 0, "unused tap " + j);
            fuzzyCompare(kernel.sum, sum, 1e-5 * sum);
            compare(kernel.startIndex, -data.maximumRadius + 0.5);
            fuzzyCompare(kernel.deltaFactor, (2 * data.radius - 1) / (2 * data.maximumRadius - 1), 1e-12);
        }

        function test_shaderIsBuiltOncePerTapCount() {
            const shader = VandBlurKernels.shader(32);
            verify(shader.toString() !== "");
            compare(VandBlurKernels.shader(32), shader);
            verify(VandBlurKernels.shader(16).toString() !== shader.toString());
            compare(shadow.blurShader, shader);
        }

        function test_dropShadowsOfASizeShareTheirShaders() {
            const a = VandBlurKernels.gaussianBlur(8, (8 + 1.0) / 3.3333, true, false);
            verify(String(a.fragmentShader) !== "");
            verify(String(a.vertexShader) !== "");
            verify(VandBlurKernels.gaussianBlur(8, (8 + 1.0) / 3.3333, true, false) === a);
            const wide = VandBlurKernels.gaussianBlur(17, (18 + 1.0) / 3.3333, true, true);
            verify(wide !== a);
            verify(String(wide.fragmentShader) !== String(a.fragmentShader));
            for (const shadow of [dropA, dropB]) {
                const blurItem = shadow.children[0];
                verify(blurItem.shaders === a, "shadow at " + shadow.x);
            }
            verify(dropWide.children[0].shaders === wide);
        }
    }
}
