pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T

// The About box: logo, version lines, legal notice, and the way to the
// acknowledgements and the licence agreement. Opened with open(); the box
// (and its logo) is built the first time it opens.
Item {
    id: root

    property var rootWindow: parent
    property string version: "See Installation File for Version Info"
    property string versionIdentifier: ""
    property string copyRight: "Copyright © Tarnwick. All rights reserved. This software is licensed, not sold, under the Tarnwick licence agreement."
    property string linkUrl: "https://www.tarnwick.com/index.php/eulas"
    property url logoSource
    property color textColor: "#C3C3C3"
    property color innerBorderColor: Qt.lighter(theme.default_bg_color, 1.25)
    property color outerBorderColor: Qt.lighter(theme.default_bg_color, 1.5)

    signal acknowledgementsClicked()

    function open() {
        if (!root.box)
            root.box = popupComponent.createObject(root) as Popup;
        root.box.open();
    }

    // Built on the first open(). A bound component keeps its creation context
    // only through createObject (Qt 6.4's Loader gives it another).
    property Popup box: null

    anchors.fill: parent

    VandTheme { id: theme }

    Component {
        id: popupComponent

        Popup {
            id: popup
            objectName: "aboutPopup"
            parent: root

            readonly property real areaWidth: root.rootWindow ? root.rootWindow.width : root.width
            readonly property real areaHeight: root.rootWindow ? root.rootWindow.height : root.height

            modal: true
            focus: true
            width: 525
            height: column.height + 60
            padding: 30
            margins: 30
            x: (areaWidth - width) * 0.5
            y: (areaHeight - height) * 0.5

            onOpened: forceActiveFocus()

            T.Overlay.modal: Rectangle {
                color: "#88000000"
            }

            background: Rectangle {
                color: theme.default_bg_color
                radius: 25
                border.width: 1
                border.color: root.outerBorderColor

                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 1
                    color: "transparent"
                    radius: 25
                    border.width: 1
                    border.color: root.innerBorderColor
                }
            }

            contentItem: Item {
                Column {
                    id: column
                    width: parent.width
                    spacing: 15

                    Item {
                        width: parent.width
                        height: 125

                        Image {
                            id: logo
                            objectName: "logo"
                            anchors.fill: parent
                            fillMode: Image.PreserveAspectFit
                            smooth: true
                            mipmap: true
                            source: root.logoSource
                        }
                    }

                    Column {
                        width: parent.width
                        spacing: 2

                        Text {
                            objectName: "versionText"
                            width: parent.width
                            horizontalAlignment: Text.AlignLeft
                            verticalAlignment: Text.AlignTop
                            font.pixelSize: 16
                            color: root.textColor
                            text: qsTr("Version ") + qsTr(root.version)
                        }
                        Text {
                            objectName: "versionIdentifierText"
                            width: parent.width
                            horizontalAlignment: Text.AlignLeft
                            verticalAlignment: Text.AlignTop
                            font.pixelSize: 16
                            font.italic: true
                            color: root.textColor
                            text: qsTr(root.versionIdentifier)
                        }
                    }

                    Text {
                        objectName: "copyRightText"
                        width: parent.width
                        font.pixelSize: 12
                        color: root.textColor
                        wrapMode: Text.WordWrap
                        text: qsTr(root.copyRight)
                    }

                    Row {
                        id: buttonRow
                        spacing: 15
                        // A quarter of the buttons' height; the row's own implicit
                        // height includes this padding and would feed back into it.
                        bottomPadding: childrenRect.height / 4

                        FlatButton {
                            objectName: "acknowledgementsButton"
                            text: qsTr("Acknowledgments")
                            onClicked: root.acknowledgementsClicked()
                        }
                        FlatButton {
                            objectName: "licenseButton"
                            text: qsTr("License Agreement")
                            onClicked: Qt.openUrlExternally(root.linkUrl)
                        }
                        FlatButton {
                            objectName: "closeButton"
                            text: qsTr("Close")
                            onClicked: popup.close()
                        }
                    }
                }
            }
        }
    }
}
