pragma Singleton
import QtQuick
import Qt5Compat.GraphicalEffects.private

// Gaussian blur kernels and shaders for the effects drawn by the dozen (the
// level meter's segments, the buttons' shadows): each is worked out once per
// set of parameters and shared. They are those of the graphical effects' own
// blurs, so an effect built on them draws the same pixels.
QtObject {
    id: kernels

    property var weightsByKey: ({})
    property var shadersByTaps: ({})
    property var gaussianShaders: ({})

    // {factors: [vector3d x 10, point], sum, startIndex, deltaFactor} for a
    // blur of the given radius over 2 * maximumRadius taps (at most 32).
    function weights(radius: real, maximumRadius: int): var {
        const key = radius + "/" + maximumRadius;
        const known = kernels.weightsByKey[key];
        if (known !== undefined)
            return known;
        const deviation = Math.max(0.1, (radius + 1) / 3.3333);
        const gauss = x => (1.0 / Math.sqrt(2 * Math.PI * (Math.pow(deviation, 2))))
                           * Math.pow(Math.E, -((Math.pow(x, 2)) / (2 * (Math.pow(deviation, 2)))));
        const n = new Array(32);
        for (let j = 0; j < 32; j++)
            n[j] = 0;
        const taps = maximumRadius * 2;
        const deltaFactor = (2 * radius - 1) / (taps - 1);
        let sum = 0.0;
        for (let i = 0; i < taps; i++) {
            n[i] = gauss(-radius + 0.5 + i * deltaFactor);
            sum += n[i];
        }
        const factors = [];
        for (let k = 0; k < 30; k += 3)
            factors.push(Qt.vector3d(n[k], n[k + 1], n[k + 2]));
        factors.push(Qt.point(n[30], n[31]));
        const kernel = {
            factors: factors,
            sum: sum,
            startIndex: -maximumRadius + 0.5,
            deltaFactor: deltaFactor
        };
        kernels.weightsByKey[key] = kernel;
        return kernel;
    }

    // The fragment shader of a blur with the given number of taps (at most 32).
    function shader(taps: int): url {
        const known = kernels.shadersByTaps[taps];
        if (known !== undefined)
            return known;
        // The weights go three to a vector: factor_0_2 ... factor_27_29, then
        // factor_30_31 with two.
        const group = i => i < 30 ? "factor_" + (i - i % 3) + "_" + (i - i % 3 + 2) : "factor_30_31";
        let groups = "";
        for (let g = 0; g < 30; g += 3)
            groups += "    vec3 " + group(g) + ";\n";
        let text = "#version 440\n"
                 + "layout(location = 0) in vec2 qt_TexCoord0;\n"
                 + "layout(location = 0) out vec4 fragColor;\n"
                 + "layout(std140, binding = 0) uniform buf {\n"
                 + "    mat4 qt_Matrix;\n"
                 + "    float qt_Opacity;\n"
                 + "    vec3 delta;\n"
                 + groups
                 + "    vec2 factor_30_31;\n"
                 + "    float gaussianSum;\n"
                 + "    float expandX;\n"
                 + "    float expandY;\n"
                 + "};\n"
                 + "layout(binding = 1) uniform sampler2D source;\n"
                 + "void main() {\n"
                 + "    vec2 shift = vec2(delta.x, delta.y);\n"
                 + "    float index = delta.z;\n"
                 + "    vec2 texCoord = qt_TexCoord0;\n"
                 + "    texCoord.s = (texCoord.s - expandX) / (1.0 - 2.0 * expandX);\n"
                 + "    texCoord.t = (texCoord.t - expandY) / (1.0 - 2.0 * expandY);\n"
                 + "    texCoord += (shift * index);\n"
                 + "    fragColor = vec4(0.0, 0.0, 0.0, 0.0);\n";
        for (let i = 0; i < Math.min(taps, 32); i++)
            text += "    fragColor += texture(source, texCoord) * " + group(i) + "." + "xyz"[i % 3]
                    + "; texCoord += shift;\n";
        text += "    fragColor /= gaussianSum;\n"
              + "    fragColor *= qt_Opacity;\n"
              + "}\n";
        const built = ShaderBuilder.buildFragmentShader(text);
        kernels.shadersByTaps[taps] = built;
        return built;
    }

    // The two-pass Gaussian blur's shaders, {fragmentShader, vertexShader},
    // as the graphical effects' GaussianBlur asks for them.
    function gaussianBlur(kernelRadius: int, deviation: real, alphaOnly: bool, fallback: bool): var {
        const key = kernelRadius + "/" + deviation + "/" + alphaOnly + "/" + fallback;
        const known = kernels.gaussianShaders[key];
        if (known !== undefined)
            return known;
        const built = ShaderBuilder.gaussianBlur({
            radius: kernelRadius,
            deviation: deviation,
            alphaOnly: alphaOnly,
            masked: false,
            fallback: fallback
        });
        kernels.gaussianShaders[key] = built;
        return built;
    }
}
