pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import com.tarnwick.vand_ui

// The mixer panel: the general settings (click volume, tempo scale,
// transposition, "Reset Mixer") above one group per row of `mixerModel`.
// Groups and tracks write the user's changes into the models; the general
// settings are announced by the view's signals. Without a model only the
// general settings show.
Item {
    id: control

    VandTheme { id: theme }

    property var mixerModel: null
    property bool showTempoScale: false
    property bool showTranspose: false
    property bool showClickVolume: true
    // The last values announced. The sliders start at 0, so a first move to
    // +1 is announced.
    property double prevTempoScale: 0
    property int prevTranspose: 0
    property double clickVolumeControlValueScaledDb: 1.0
    property double minClickVolumeDB: -15.0

    signal clickVolumeSet(double valueDB)
    signal tempoScaleSet(double value)
    signal transposeSet(double value)
    signal resetMixerClicked()

    function signedText(value) {
        return (value >= 0 ? "+" : "") + value;
    }

    // Built on the first show. A bound component keeps its creation context
    // only through createObject (Qt 6.4's Loader gives it another).
    property Item contents: null

    function buildContents() {
        if (!control.contents)
            control.contents = contentsComponent.createObject(control) as Item;
    }

    Component.onCompleted: if (control.visible) control.buildContents()
    onVisibleChanged: if (control.visible) control.buildContents()

    Component {
        id: contentsComponent

            RowLayout {
                objectName: "mixerContents"
                anchors.fill: parent
                spacing: 0

                Flickable {
                    id: flickable
                    objectName: "mixerFlickable"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    flickableDirection: Flickable.VerticalFlick
                    boundsBehavior: Flickable.StopAtBounds
                    contentWidth: control.width
                    contentHeight: column.implicitHeight + 2 * column.y

                    ScrollBar.vertical: CustomScrollBar {
                        id: scrollBar
                        objectName: "mixerScrollBar"
                    }

                    ColumnLayout {
                        id: column
                        objectName: "mixerColumn"
                        x: 7
                        y: 7
                        width: flickable.width - 2 * 7 - (scrollBar.visible ? scrollBar.width : 0)
                        spacing: 10

                        MixerSection {
                            id: generalSection
                            objectName: "generalSection"
                            Layout.fillWidth: true
                            title: control.showTempoScale || control.showTranspose ? "General Settings" : ""

                            mainContent: GridLayout {
                                objectName: "generalGrid"
                                columns: 3
                                columnSpacing: 10
                                rowSpacing: 7
                                anchors.margins: 7

                                Text {
                                    id: clickVolumeLabel
                                    objectName: "clickVolumeLabel"
                                    visible: control.showClickVolume
                                    text: "Click Volume"
                                    color: theme.default_text_color
                                    font: theme.default_font

                                    MouseArea {
                                        id: clickVolumeLabelArea
                                        anchors.fill: parent
                                        hoverEnabled: true
                                        // Only watches the pointer: clicks go through.
                                        acceptedButtons: Qt.NoButton
                                    }

                                    VandToolTip {
                                        objectName: "clickVolumeToolTip"
                                        host: clickVolumeLabel
                                        delay: 500
                                        text: "Click volume cannot be muted"
                                        visible: clickVolumeLabelArea.containsMouse
                                    }
                                }

                                VandCustomVolumeSlider {
                                    id: clickVolumeSlider
                                    objectName: "clickVolumeSlider"
                                    visible: control.showClickVolume
                                    Layout.preferredWidth: 160
                                    from: Math.exp(control.minClickVolumeDB / 25)
                                    to: 1.0
                                    value: control.clickVolumeControlValueScaledDb
                                    onMoved: control.clickVolumeSet(25 * Math.log(value))
                                    onValueChanged: control.clickVolumeControlValueScaledDb = value

                                    Connections {
                                        target: control
                                        function onClickVolumeControlValueScaledDbChanged() {
                                            clickVolumeSlider.value = control.clickVolumeControlValueScaledDb;
                                        }
                                    }
                                }

                                RowLayout {
                                    Layout.fillWidth: true
                                    spacing: 10

                                    Text {
                                        objectName: "clickVolumeText"
                                        visible: control.showClickVolume
                                        Layout.preferredWidth: 48
                                        text: (25 * Math.log(clickVolumeSlider.value)).toFixed(1) + " dB"
                                        color: theme.default_text_color
                                        font: theme.default_font
                                    }

                                    Item {
                                        Layout.fillWidth: true
                                    }

                                    FlatButton {
                                        objectName: "resetMixerButton"
                                        text: "Reset Mixer"
                                        onClicked: control.resetMixerClicked()
                                    }
                                }

                                Text {
                                    objectName: "tempoScaleLabel"
                                    visible: control.showTempoScale
                                    text: "Tempo Scale"
                                    color: theme.default_text_color
                                    font: theme.default_font
                                }

                                VandCustomSlider {
                                    id: tempoScaleSlider
                                    objectName: "tempoScaleSlider"
                                    visible: control.showTempoScale
                                    Layout.preferredWidth: 160
                                    from: -50
                                    to: 50
                                    stepSize: 1
                                    sliderStep: 1
                                    value: 0
                                    zeroMark: 0
                                    onMoved: {
                                        if (value !== control.prevTempoScale) {
                                            control.tempoScaleSet(value);
                                            control.prevTempoScale = value;
                                        }
                                    }
                                }

                                Text {
                                    objectName: "tempoScaleText"
                                    visible: control.showTempoScale
                                    text: control.signedText(tempoScaleSlider.value) + "%"
                                    color: theme.default_text_color
                                    font: theme.default_font
                                }

                                Text {
                                    objectName: "transposeLabel"
                                    visible: control.showTranspose
                                    text: "Transpose"
                                    color: theme.default_text_color
                                    font: theme.default_font
                                }

                                VandCustomSlider {
                                    id: transposeSlider
                                    objectName: "transposeSlider"
                                    visible: control.showTranspose
                                    Layout.preferredWidth: 160
                                    from: -6
                                    to: 6
                                    stepSize: 1
                                    sliderStep: 1
                                    value: 0
                                    zeroMark: 0
                                    onMoved: {
                                        if (value !== control.prevTranspose) {
                                            control.transposeSet(value);
                                            control.prevTranspose = value;
                                        }
                                    }
                                }

                                Text {
                                    objectName: "transposeText"
                                    visible: control.showTranspose
                                    text: control.signedText(transposeSlider.value)
                                    color: theme.default_text_color
                                    font: theme.default_font
                                }
                            }
                        }

                        Repeater {
                            id: groupsRepeater
                            objectName: "groupsRepeater"
                            model: control.mixerModel

                            MixerSectionInstruments {
                                required property var model

                                Layout.fillWidth: true
                                title: model.name
                                tracksModel: model.tracksModel
                                toolTipText: model.tooltip
                                isMuted: model.isMuted
                                isSolo: model.isSolo
                                onMuteClicked: model.isMuted = !model.isMuted
                                onSoloClicked: model.isSolo = !model.isSolo
                            }
                        }
                    }
                }
            }
    }
}
