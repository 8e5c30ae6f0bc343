import QtQuick
import QtQuick.Window
import Qt5Compat.GraphicalEffects

// Modal question with Cancel, OK and an optional third button, an optional
// text field and an optional confirmation box that must be ticked before OK.
// Escape cancels; Return and Enter act as OK only while OK is enabled.
Window {
    id: root

    property string type: "INFO"
    property alias title: heading.text
    property alias text: message.text
    property alias value: inputField.text
    property bool showConfirmation: false
    property string confirmationPreamble: qsTr("Please read the terms before you go on.")
    property string confirmationText: qsTr("I understand and wish to continue")
    property alias acceptButtonText: okButton.text
    property alias cancelButtonText: cancelButton.text
    property alias negateButtonText: negateButton.text
    property alias showNegateButton: negateButton.visible
    property alias showInputField: inputField.visible

    readonly property bool acceptEnabled: (!showConfirmation || confirmationBox.checked)
                                          && (!inputField.visible || inputField.text.trim() !== "")

    signal accepted()
    signal cancelled()
    signal negated()

    VandTheme { id: theme }

    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.WindowCloseButtonHint | Qt.Dialog
    color: theme.default_bg_color_popup

    maximumWidth: 425
    minimumWidth: maximumWidth
    width: maximumWidth
    maximumHeight: column.height + 32
    minimumHeight: maximumHeight
    height: maximumHeight

    onClosing: console.debug("Closing")

    Item {
        id: content
        objectName: "content"
        anchors.fill: parent
        anchors.margins: 16

        Keys.onEscapePressed: cancelButton.clicked()
        Keys.onReturnPressed: if (root.acceptEnabled) okButton.clicked()
        Keys.onEnterPressed: if (root.acceptEnabled) okButton.clicked()

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
                font.pixelSize: 15
            }

            Text {
                id: message
                objectName: "message"
                width: column.width
                font: theme.default_font
                color: theme.default_text_color
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.WordWrap
            }

            Text {
                id: preamble
                objectName: "preamble"
                width: column.width
                font: theme.default_font
                color: theme.default_text_color
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.WordWrap
                // Styled text: its links take linkColor, those of full rich text do not.
                textFormat: Text.StyledText
                linkColor: "white"
                text: root.confirmationPreamble
                visible: root.confirmationPreamble !== "" && root.showConfirmation
                onLinkActivated: (link) => Qt.openUrlExternally(link)
            }

            CustomCheckbox {
                id: confirmationBox
                objectName: "confirmationBox"
                checkboxTextStr: root.confirmationText
                checkboxTextColor: "white"
                visible: root.showConfirmation
            }

            RecessedTextInput {
                id: inputField
                objectName: "inputField"
                width: column.width
                anchors.horizontalCenter: parent.horizontalCenter
                backgroundColor: Qt.lighter(theme.default_bg_color, 1.5)
                // A hidden field takes no focus, so that no control has it
                // until the user tabs to a button.
                focus: visible
            }

            Row {
                objectName: "buttonRow"
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 16

                FlatButton {
                    id: cancelButton
                    objectName: "cancelButton"
                    text: "Cancel"
                    onClicked: {
                        root.visible = false;
                        root.cancelled();
                    }
                }
                FlatButton {
                    id: okButton
                    objectName: "okButton"
                    text: "OK"
                    isDefault: true
                    enabled: root.acceptEnabled
                    onClicked: {
                        root.visible = false;
                        root.accepted();
                    }
                }
                FlatButton {
                    id: negateButton
                    objectName: "negateButton"
                    text: ""
                    visible: false
                    onClicked: {
                        root.visible = false;
                        root.negated();
                    }
                }
            }
        }
    }
}
