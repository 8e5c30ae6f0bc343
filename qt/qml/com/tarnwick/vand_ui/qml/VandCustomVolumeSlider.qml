import QtQuick

// Volume slider with the system's taper: a value v from e^-3.2 to 1 is shown
// as 25·ln(v) dB (-80 dB … 0 dB), with the zero mark at -6 dB. As gain the
// owner hands on 10^(dB / 20).
VandCustomSlider {
    id: control

    sliderStep: 0.01
    from: 0.04076220398
    to: 1.0
    showZeroMark: true
    zeroMark: 0.7866278611
    customDisplayFunction: function(v) { return (25 * Math.log(v)).toFixed(3); }
    customInvertFunction: function(text) { return Math.exp(parseFloat(text) / 25); }

    VandToolTip {
        objectName: "volumeToolTip"
        host: control
        delay: 500
        visible: control.hovered || control.activeFocus
        text: qsTr("Value: ") + (25 * Math.log(control.value)).toFixed(1) + " dB"
    }
}
