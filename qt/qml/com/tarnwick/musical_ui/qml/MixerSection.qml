import QtQuick
import QtQuick.Layouts
import com.tarnwick.vand_ui

// A rounded frame of the mixer with an optional title bar. Its user places an
// item at the left end of the title bar (`preTitleContent`) and one in the
// body (`mainContent`); the body's item is anchored to the body's left, right
// and top, and sets its own anchor margins.
Rectangle {
    id: control

    property string toolTipText: ""
    property string title: "Instrumentals"
    property Item mainContent: null
    property Item preTitleContent: null
    // Left margin of the title: an instrument group lines it up with its rows.
    property int titleLeftMargin: 0

    VandTheme { id: theme }

    radius: 3
    clip: true
    antialiasing: true
    color: theme.default_bg_color_popup
    implicitHeight: layout.implicitHeight

    Component.onCompleted: {
        if (preTitleContent)
            preTitleContent.parent = preTitleContainer;
        if (mainContent) {
            mainContent.parent = body;
            mainContent.anchors.left = body.left;
            mainContent.anchors.right = body.right;
            mainContent.anchors.top = body.top;
        }
    }

    ColumnLayout {
        id: layout
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        spacing: 0

        Rectangle {
            id: titleBar
            objectName: "titleBar"
            Layout.fillWidth: true
            Layout.preferredHeight: titleText.implicitHeight * 1.75
            visible: control.title !== ""
            radius: control.radius
            antialiasing: true
            color: Qt.lighter(theme.default_bg_color_popup, 1.15)

            // Squares the bar's bottom corners: only its top ones are round.
            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: parent.radius
                color: parent.color
            }

            Item {
                id: preTitleContainer
                objectName: "preTitleContainer"
                x: 5
                height: parent.height
                width: control.preTitleContent ? control.preTitleContent.width : 0
            }

            Row {
                anchors.left: preTitleContainer.right
                anchors.leftMargin: control.titleLeftMargin
                anchors.right: parent.right
                height: parent.height
                spacing: 10

                Text {
                    id: titleText
                    objectName: "titleText"
                    height: parent.height
                    text: control.title
                    color: "white"
                    font: theme.default_font
                    horizontalAlignment: Text.AlignLeft
                    verticalAlignment: Text.AlignVCenter

                    MouseArea {
                        id: titleArea
                        anchors.fill: parent
                        hoverEnabled: true
                        // Only watches the pointer: clicks go through.
                        acceptedButtons: Qt.NoButton
                    }

                    VandToolTip {
                        objectName: "titleToolTip"
                        host: titleText
                        delay: 500
                        text: control.toolTipText
                        visible: titleArea.containsMouse && control.toolTipText !== ""
                    }
                }
            }
        }

        Item {
            id: body
            objectName: "body"
            Layout.fillWidth: true
            Layout.preferredHeight: control.mainContent
                                    ? control.mainContent.height + control.mainContent.anchors.topMargin
                                      + control.mainContent.anchors.bottomMargin
                                    : 0
        }
    }
}
