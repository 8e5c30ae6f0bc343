pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import com.tarnwick.vand_ui

// Sets the click resolution over a range: the controller offers the values
// the player allows for the range (`clickCountModel`, note lengths in
// thirty-second notes), each shown by its note icon, and asks again whenever
// a picker changes (`updateAvailableClicks()`).
ToolDialog {
    id: root

    property alias intValue: clickCountInput.value
    property alias clickCountModel: clickCountInput.model
    property alias clickCountIndex: clickCountInput.currentIndex

    signal changeClickRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createClickRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal clickToolClosing()
    signal updateAvailableClicks()

    function iconSource(value) {
        return value === "" ? "" : "qrc:/images/notehead-" + value + ".svg";
    }

    title: isEdit ? qsTr("Edit Click Resolution") : qsTr("Change Click Resolution")
    idLabel.visible: false
    initialFocus: clickCountInput.comboControl

    onAccepted: {
        const values = [panel.inBar, beatNumber(panel.inBeat), panel.outBar, beatNumber(panel.outBeat)];
        if (isEdit)
            changeClickRequest(values[0], values[1], values[2], values[3], clickCountInput.value);
        else
            createClickRequest(values[0], values[1], values[2], values[3], clickCountInput.value);
    }
    onWindowClosing: clickToolClosing()

    Connections {
        target: root.panel
        function onInBarInputChanged() { root.updateAvailableClicks(); }
        function onOutBarInputChanged() { root.updateAvailableClicks(); }
        function onInBeatInputChanged() { root.updateAvailableClicks(); }
        function onOutBeatInputChanged() { root.updateAvailableClicks(); }
    }

    Text {
        text: qsTr("Click Resolution")
        font.pixelSize: 14
        color: root.theme.default_text_color
        Layout.alignment: Qt.AlignHCenter
    }

    CustomComboBox {
        id: clickCountInput
        objectName: "clickCountInput"

        property int value: Number(displayText)

        Layout.alignment: Qt.AlignHCenter
        mainLabel.visible: false
        onEnterPressed: root.buttons.okayClicked()

        Image {
            objectName: "clickIcon"
            anchors.centerIn: parent
            width: 20
            height: 20
            sourceSize: "20x20"
            fillMode: Image.PreserveAspectFit
            source: root.iconSource(clickCountInput.displayText)
            layer.enabled: true
            layer.effect: ColorOverlay { color: "#ffffff" }
        }

        delegate: ItemDelegate {
            id: row

            required property var modelData
            required property int index

            width: clickCountInput.width
            implicitHeight: 40
            highlighted: ListView.isCurrentItem
            padding: 0

            contentItem: Rectangle {
                color: row.highlighted || (rowMouse.containsMouse && !clickCountInput.comboControl.arrowSelection)
                       ? Qt.lighter(clickCountInput.default_popup_bg_color, 1.3)
                       : clickCountInput.default_popup_bg_color

                Image {
                    objectName: "rowIcon"
                    anchors.centerIn: parent
                    width: 25
                    height: 25
                    sourceSize: "25x25"
                    smooth: true
                    fillMode: Image.PreserveAspectFit
                    source: root.iconSource(String(row.modelData))
                    layer.enabled: true
                    layer.effect: ColorOverlay { color: "#ffffff" }
                }

                MouseArea {
                    id: rowMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: clickCountInput.comboControl.arrowSelection = false
                    onClicked: {
                        clickCountInput.currentIndex = row.index;
                        clickCountInput.comboControl.triggerActivated();
                        clickCountInput.choices.close();
                    }
                }
            }
        }
    }
}
