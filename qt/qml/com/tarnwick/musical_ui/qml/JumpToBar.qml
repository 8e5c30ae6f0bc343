import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Basic
import com.tarnwick.vand_ui

// Modal prompt for a bar number (or, in the score view, a page number).
// `ok()` announces a submission; read it from `barNum`. The receiver may
// answer with `result(success)` while `ok()` is being handled.
Item {
    id: root

    property string barNum: "0"
    property alias promptText: prompt.text

    signal ok()

    function open() {
        popup.open();
    }

    function exit() {
        field.text = "";
        field.forceActiveFocus();
        popup.close();
    }

    function result(success) {
        submission.answered = true;
        if (success) {
            root.exit();
        } else {
            field.text = "Bar not found!";
            field.selectAll();
            field.forceActiveFocus();
        }
    }

    function submit() {
        root.barNum = field.text;
        field.text = "";
        field.forceActiveFocus();
        submission.answered = false;
        root.ok();
    }

    VandTheme { id: theme }

    QtObject {
        id: submission
        // Whether the receiver of the last ok() answered with result().
        property bool answered: false
    }

    Popup {
        id: popup
        objectName: "jumpToBarPopup"
        modal: true
        x: 300
        y: 220
        width: 280
        height: 50
        padding: 0

        background: Rectangle {
            color: theme.light_background_color
        }

        Overlay.modal: Rectangle {
            color: "#88000000"
        }

        onOpened: field.forceActiveFocus()
        onClosed: root.exit()

        TextField {
            id: field
            objectName: "barField"
            x: 10
            width: 120
            height: 40
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 10
            color: theme.light_text_color
            clip: true
            verticalAlignment: TextInput.AlignVCenter
            placeholderText: ""
            background: Rectangle {
                color: "black"
            }

            onAccepted: root.submit()

            Text {
                id: prompt
                objectName: "prompt"
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                padding: 10
                text: "Enter Bar Number"
                color: theme.default_text_color
                visible: field.text === ""
            }
        }

        FlatButton {
            id: cancelButton
            objectName: "cancelButton"
            text: "Cancel"
            width: 60
            anchors.left: field.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            onClicked: root.exit()
        }

        FlatButton {
            id: okButton
            objectName: "okButton"
            text: "OK"
            width: 60
            anchors.left: cancelButton.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            onClicked: {
                root.submit();
                // A failed jump stays open with its message; without an
                // answer (the score view's page prompt) OK closes.
                if (!submission.answered)
                    root.exit();
            }
        }
    }
}
