import QtQuick
import QtQuick.Window
import Qt5Compat.GraphicalEffects

// Modal message window: kind icon, bold title, wrapped message, optional
// "Do not show again" box and an OK button. Escape, Return and Enter act as OK.
Window {
    id: root

    property string type: "INFO"
    property alias title: heading.text
    property alias text: message.text
    property alias showCheckbox: checkbox.visible

    signal accepted()
    signal checkboxConfirmed()

    VandTheme { id: theme }

    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.WindowCloseButtonHint | Qt.Dialog
    color: theme.default_bg_color_popup

    maximumWidth: 325
    minimumWidth: maximumWidth
    width: maximumWidth
    maximumHeight: column.height + 32
    minimumHeight: maximumHeight
    height: maximumHeight

    Item {
        id: content
        objectName: "content"
        // Sized from the window rather than anchored, so the height is right
        // before the window is first shown.
        x: 16
        y: 16
        width: root.width - 32
        height: root.height - 32
        focus: true

        Keys.onEscapePressed: okButton.clicked()
        Keys.onReturnPressed: okButton.clicked()
        Keys.onEnterPressed: okButton.clicked()

        Column {
            id: column
            width: content.width
            spacing: 16

            Item {
                width: 72
                height: 72
                anchors.horizontalCenter: parent.horizontalCenter

                Image {
                    id: icon
                    objectName: "icon"
                    anchors.fill: parent
                    sourceSize: "72x72"
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    visible: false
                    source: {
                        switch (root.type.toUpperCase()) {
                        case "ERROR": return "qrc:/images/error_icon.svg";
                        case "WARNING": return "qrc:/images/warning_icon.svg";
                        case "INFO": return "qrc:/images/info_icon.svg";
                        default: return "";
                        }
                    }
                }

                ColorOverlay {
                    objectName: "iconOverlay"
                    anchors.fill: icon
                    source: icon
                    color: {
                        switch (root.type.toUpperCase()) {
                        case "ERROR": return "#FF5757";
                        case "WARNING": return "#FFC400";
                        case "INFO": return "#00AEEF";
                        default: return "Silver";
                        }
                    }
                }
            }

            Text {
                id: heading
                objectName: "heading"
                anchors.horizontalCenter: parent.horizontalCenter
                color: theme.light_text_color
                font.bold: true
                font.pixelSize: theme.default_font.pixelSize + 1
            }

            Text {
                id: message
                objectName: "message"
                width: column.width
                font: theme.default_font
                color: theme.default_text_color
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            }

            CustomCheckbox {
                id: checkbox
                objectName: "checkbox"
                anchors.horizontalCenter: parent.horizontalCenter
                checkboxTextStr: "Do not show again"
                visible: false
            }

            FlatButton {
                id: okButton
                objectName: "okButton"
                anchors.horizontalCenter: parent.horizontalCenter
                text: "OK"
                isDefault: true
                onClicked: {
                    root.visible = false;
                    root.accepted();
                    if (checkbox.checked)
                        root.checkboxConfirmed();
                }
            }
        }
    }
}
