import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// Where an edit event lies: In Bar and In Beat, for events with a duration
// Out Bar and Out Beat, optional microshift sliders and "Select All". The
// tool controller finds the four pickers by object name, fills them and
// reads them back; the panel holds no bars or beats of its own.
//
// Every change of a bar picker's row, whoever makes it, asks for that bar's
// beats (`inBeatInputUpdateRequest` / `outBeatInputUpdateRequest`) before it
// reports the change, so a beat list never belongs to another bar.
Item {
    id: root

    VandTheme { id: theme }

    property bool hasDuration: true
    property bool hasMicroshift: false
    property bool showSelectAll: false
    property int inMinMicroshift: 0
    property int inMaxMicroshift: 1
    property int outMinMicroshift: 0
    property int outMaxMicroshift: 1
    property int panelWidth: parent ? parent.width : 0
    property int panelHeight: mainColumn.implicitHeight

    property alias comboBoxWidth: inBarInput.width
    property alias inBar: inBarInput.displayText
    property alias outBar: outBarInput.displayText
    property alias inBeat: inBeatInput.displayText
    property alias outBeat: outBeatInput.displayText
    property alias inShift: inShiftSlider.value
    property alias inMicroshiftValue: inShiftSlider.value
    property alias outShift: outShiftSlider.value
    property alias outMicroshiftValue: outShiftSlider.value
    property alias inShiftEnabled: inShiftSlider.enabled
    property alias inBarModel: inBarInput.model

    signal inBeatInputUpdateRequest(var index)
    signal outBeatInputUpdateRequest(var index)
    signal inBarInputChanged()
    signal inBeatInputChanged()
    signal outBarInputChanged()
    signal outBeatInputChanged()
    signal pressEnter()

    function selectAll() {
        inBarInput.currentIndex = 0;
        outBarInput.currentIndex = outBarInput.count - 1;
        inBeatInput.currentIndex = 0;
        outBeatInput.currentIndex = outBeatInput.count - 1;
    }

    width: panelWidth
    height: panelHeight
    implicitWidth: mainColumn.implicitWidth
    implicitHeight: panelHeight

    ColumnLayout {
        id: mainColumn
        width: root.width
        spacing: 15

        RowLayout {
            ColumnLayout {
                objectName: "barColumn"
                Layout.preferredWidth: 100
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    objectName: "inBarLabel"
                    text: root.hasDuration ? qsTr("In Bar") : qsTr("Bar")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: inBarInput
                    objectName: "inBarInput"
                    textRole: "bar"
                    Layout.fillWidth: true
                    onCurrentIndexChanged: {
                        if (currentIndex >= 0)
                            root.inBeatInputUpdateRequest(currentIndex);
                        root.inBarInputChanged();
                    }
                    onEnterPressed: root.pressEnter()
                }
                Label {
                    objectName: "outBarLabel"
                    text: qsTr("Out Bar")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                    Layout.topMargin: 10
                }
                CustomComboBox {
                    id: outBarInput
                    objectName: "outBarInput"
                    textRole: "bar"
                    visible: root.hasDuration
                    Layout.fillWidth: true
                    onCurrentIndexChanged: {
                        if (currentIndex >= 0)
                            root.outBeatInputUpdateRequest(currentIndex);
                        root.outBarInputChanged();
                    }
                    onEnterPressed: root.pressEnter()
                }
            }

            ColumnLayout {
                objectName: "beatColumn"
                Layout.preferredWidth: 100
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    objectName: "inBeatLabel"
                    text: root.hasDuration ? qsTr("In Beat") : qsTr("Beat")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: inBeatInput
                    objectName: "inBeatInput"
                    Layout.fillWidth: true
                    onCurrentIndexChanged: root.inBeatInputChanged()
                    onEnterPressed: root.pressEnter()
                }
                Label {
                    objectName: "outBeatLabel"
                    text: qsTr("Out Beat")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                    Layout.topMargin: 10
                }
                CustomComboBox {
                    id: outBeatInput
                    objectName: "outBeatInput"
                    visible: root.hasDuration
                    Layout.fillWidth: true
                    onCurrentIndexChanged: root.outBeatInputChanged()
                    onEnterPressed: root.pressEnter()
                }
            }

            ColumnLayout {
                objectName: "microshiftColumn"
                Layout.preferredWidth: 100
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop
                visible: root.hasMicroshift

                Label {
                    objectName: "inShiftLabel"
                    text: root.hasDuration ? qsTr("In Shift") : qsTr("Microshift")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                VandCustomSlider {
                    id: inShiftSlider
                    objectName: "inShiftSlider"
                    from: root.inMinMicroshift
                    to: root.inMaxMicroshift
                    value: 0
                    showZeroMark: false
                    Layout.preferredWidth: 150

                    VandToolTip {
                        objectName: "inShiftToolTip"
                        host: inShiftSlider
                        delay: 500
                        visible: inShiftSlider.hovered || inShiftSlider.isFocused
                        text: qsTr("Value: ") + Math.round(inShiftSlider.value)
                    }
                }
                Label {
                    objectName: "outShiftLabel"
                    text: qsTr("Out Microshift")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                    Layout.topMargin: 10
                }
                VandCustomSlider {
                    id: outShiftSlider
                    objectName: "outShiftSlider"
                    from: root.outMinMicroshift
                    to: root.outMaxMicroshift
                    value: 0
                    showZeroMark: false
                    visible: root.hasDuration
                    Layout.preferredWidth: 150
                }
            }
        }

        FlatButton {
            objectName: "selectAllButton"
            text: qsTr("Select All")
            visible: root.showSelectAll
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 130
            Layout.preferredHeight: 30
            onClicked: root.selectAll()
        }
    }
}
