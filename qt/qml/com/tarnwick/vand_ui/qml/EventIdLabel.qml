import QtQuick
import QtQuick.Layouts

// "Event ID:" and the event's id; a click on the id copies it to the
// clipboard and shows "Copied!" for a second.
Item {
    id: root

    VandTheme { id: theme }

    property string value: ""
    property alias text: caption.text

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight

    // Nothing to copy while there is no id. A click during the notice
    // leaves its timer running, so it goes a second after the first click.
    function copyId() {
        if (root.value === "")
            return;
        idField.selectAll();
        idField.copy();
        notice.visible = true;
        if (!noticeTimer.running)
            noticeTimer.start();
    }

    RowLayout {
        id: row
        anchors.fill: parent

        Text {
            id: caption
            objectName: "caption"
            text: qsTr("Event ID:")
            font: theme.small_font
            color: theme.dim_text_color
        }

        TextEdit {
            id: idField
            objectName: "idField"
            text: root.value === "" ? qsTr("(none)") : root.value
            readOnly: true
            font: theme.small_font
            color: theme.dim_text_color
            wrapMode: TextEdit.Wrap
            selectByMouse: true
            selectionColor: "transparent"
            Layout.fillWidth: true

            VandToolTip {
                objectName: "copyToolTip"
                host: idField
                text: qsTr("Click to Copy to Clipboard")
                delay: 1000
                timeout: 5000
                visible: idArea.containsMouse
            }

            MouseArea {
                id: idArea
                objectName: "idArea"
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: root.copyId()
            }
        }

        Text {
            id: notice
            objectName: "copiedNotice"
            text: qsTr("Copied!")
            font: theme.small_font
            color: theme.dim_text_color
            visible: false

            Timer {
                id: noticeTimer
                objectName: "noticeTimer"
                interval: 1000
                onTriggered: notice.visible = false
            }
        }
    }
}
