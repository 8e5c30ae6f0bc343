import QtQuick

// The main window's bottom panel: lists, edit toolbar and mixer.
Item {
    property bool showMixer: false
    property bool oscEnable: true
    property alias mixerControl: mixer

    signal caesuraButtonPressed
    signal markerButtonPressed
    signal oscButtonPressed
    signal skipButtonPressed
    signal vampButtonPressed
    signal cutButtonPressed
    signal transposeButtonPressed
    signal tempoButtonPressed
    signal repeatButtonPressed
    signal clickButtonPressed
    signal songIndexChanged

    Item {
        objectName: "editBar"
        signal saveButton
        signal shareButton
    }

    MixerView {
        id: mixer
    }
}
