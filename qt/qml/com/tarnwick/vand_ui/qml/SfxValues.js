.pragma library

// Values the sound-effect dialogs hand on.

// Milliseconds of a time typed in seconds: the text's leading number (as
// parseFloat reads it) times 1000, the fraction dropped; 0 for a text that
// does not begin with a number and for a time below 0; at most 2^31 - 1, so
// the value fits the signals' int.
function fadeMilliseconds(text) {
    const seconds = parseFloat(text);
    if (isNaN(seconds) || seconds <= 0)
        return 0;
    return Math.min(Math.trunc(seconds * 1000), 2147483647);
}

// Linear gain of a volume-taper slider position v: 25·ln(v) dB as
// 10^(dB / 20).
function linearGain(position) {
    return Math.pow(10, 25 * Math.log(position) / 20);
}
