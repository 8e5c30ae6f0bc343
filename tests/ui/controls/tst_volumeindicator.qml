import QtQuick
import QtTest
import com.tarnwick.vand_ui

Item {
    id: top
    width: 300
    height: 100

    // Bar width 244 - 2 * 2 (margins) - 5 (row spacing) - 35 (text) = 200;
    // with 10 segments the gap is 1 px and each segment 19 px wide.
    VolumeIndicatorSegmented {
        id: meter
        width: 244
        height: 20
        segments: 10
    }

    TestCase {
        name: "VolumeIndicatorSegmented"
        when: windowShown

        function levelText() {
            return findChild(meter, "levelText").text;
        }

        function colorParts() {
            const parts = [];
            const repeater = findChild(meter, "segmentRepeater");
            for (let i = 0; i < repeater.count; ++i)
                parts.push(findChild(repeater.itemAt(i), "colorPart"));
            return parts;
        }

        function gainOf(db) {
            return Math.pow(10, db / 20);
        }

        function init() {
            meter.segments = 10;
            meter.value = 0;
        }

        function test_text_data() {
            return [
                { tag: "silence", value: 0, text: "-∞ dB" },
                { tag: "unity", value: 1, text: "0 dB" },
                { tag: "double", value: 2, text: "6 dB" },
                { tag: "half", value: 0.5, text: "-6 dB" },
                { tag: "-20 dB", value: 0.1, text: "-20 dB" },
                { tag: "-80 dB", value: 0.0001, text: "-80 dB" },
                { tag: "-0.4 dB", value: gainOf(-0.4), text: "0 dB" },
                { tag: "-0.5 dB rounds up", value: gainOf(-0.5), text: "0 dB" },
                { tag: "-0.6 dB", value: gainOf(-0.6), text: "-1 dB" },
                { tag: "-6.5 dB rounds up", value: gainOf(-6.5), text: "-6 dB" },
                { tag: "+2.5 dB rounds up", value: gainOf(2.5), text: "3 dB" },
                { tag: "negative gain is silence", value: -0.5, text: "-∞ dB" },
            ];
        }

        function test_text(data) {
            meter.value = data.value;
            compare(levelText(), data.text);
        }

        function test_lit_widths_data() {
            const full = 19;
            return [
                { tag: "silence", value: 0, widths: [0, 0, 0, 0, 0, 0, 0, 0, 0, 0] },
                // The tenth is lit across 0.1 x (200 - 9): a tenth of a gap wider than its body.
                { tag: "unity", value: 1, widths: [full, full, full, full, full, full, full, full, full, 19.1] },
                { tag: "double", value: 2, widths: [full, full, full, full, full, full, full, full, full, full] },
                { tag: "-20 dB", value: 0.1,
                  widths: [full, full, full, full, (Math.exp(-20 / 25) - 0.4) * 191, 0, 0, 0, 0, 0] },
                { tag: "-60 dB", value: 0.001,
                  widths: [Math.exp(-60 / 25) * 191, 0, 0, 0, 0, 0, 0, 0, 0, 0] },
                // -100 dB still shows a sliver of the first segment.
                { tag: "-100 dB", value: 0.00001,
                  widths: [Math.exp(-100 / 25) * 191, 0, 0, 0, 0, 0, 0, 0, 0, 0] },
            ];
        }

        function test_lit_widths(data) {
            meter.value = data.value;
            compare(findChild(meter, "grayBar").width, 200);
            const parts = colorParts();
            compare(parts.length, 10);
            for (let i = 0; i < 10; ++i)
                fuzzyCompare(parts[i].width, data.widths[i], 1e-6, "segment " + i);
        }

        function test_lit_colours_spread_over_segments() {
            meter.value = 2;
            const parts = colorParts();
            compare(parts[0].color, Qt.rgba(0, 128 / 255, 0, 1));
            fuzzyCompare(parts[9].color.r, 129.6 / 255, 1e-4);
            fuzzyCompare(parts[9].color.g, 227 / 255, 1e-4);
            fuzzyCompare(parts[9].color.b, 129.6 / 255, 1e-4);

            meter.value = 0.1;
            compare(parts[5].color, Qt.color("#444"));
        }

        function test_segment_count_rebuilds_the_row() {
            meter.segments = 4;
            meter.value = 1;
            const parts = colorParts();
            compare(parts.length, 4);
            // Colours are spread over the new count: the last lit segment is 3/4 of the way.
            fuzzyCompare(parts[3].color.g, (128 + (238 - 128) * 0.75) / 255, 1e-4);
        }

        function test_spacing_grows_with_segment_share() {
            meter.segments = 10;
            compare(meter.spacing, 1);
            meter.segments = 4; // 50 px share: 5 % is 2.5, rounded up to 3
            compare(meter.spacing, 3);
        }
    }
}
