import QtQuick
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui

// An action button, a switch and the switch's label in one row. Return
// clicks the button or flips the switch, whichever has the focus.
Item {
    id: root

    property alias toggleText: label.text
    property alias buttonText: button.text
    property alias toggled: toggleSwitch.checked
    property alias fontSize: label.font.pixelSize
    property alias toggle: toggleSwitch
    property alias button: button
    property real spacing: 5

    signal clicked()

    implicitHeight: button.implicitHeight + toggleSwitch.implicitHeight
    implicitWidth: button.implicitWidth + toggleSwitch.implicitWidth

    VandTheme { id: theme }

    FlatButton {
        id: button
        objectName: "button"
        text: qsTr("Package")
        width: 80
        anchors.left: parent.left
        anchors.leftMargin: root.spacing
        anchors.verticalCenter: parent.verticalCenter
        onClicked: root.clicked()
        Keys.onReturnPressed: (event) => {
            root.clicked();
            event.accepted = true;
        }
    }

    Switch {
        id: toggleSwitch
        objectName: "toggle"
        anchors.left: button.right
        anchors.leftMargin: root.spacing
        anchors.verticalCenter: parent.verticalCenter
        scale: activeFocus ? 0.75 : 0.65
        Keys.onReturnPressed: (event) => {
            toggleSwitch.toggle();
            event.accepted = true;
        }
    }

    Label {
        id: label
        objectName: "label"
        anchors.left: toggleSwitch.right
        anchors.leftMargin: root.spacing
        anchors.verticalCenter: parent.verticalCenter
        text: ""
        color: theme.default_text_color
    }
}
